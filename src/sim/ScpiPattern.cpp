// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ScpiPattern.h"

#include <cctype>

#include "sim/ScpiLetters.h"

namespace tarvix::sim {

namespace {

// A keyword's numeric suffix ("CALC3"); a keyword without one has suffix 1, as SCPI says.
std::string_view numericSuffix(std::string_view keyword) {
    std::size_t start = keyword.size();
    while (start > 0 && std::isdigit(static_cast<unsigned char>(keyword[start - 1]))) {
        --start;
    }
    const std::string_view suffix = keyword.substr(start);
    return suffix.empty() ? std::string_view("1") : suffix;
}

std::string upperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

}  // namespace

ScpiPattern::ScpiPattern(std::string_view pattern) {
    bool optional = false;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '[' || c == ']' || c == ':') {
            optional = c == '[' ? true : (c == ']' ? false : optional);
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < pattern.size() && pattern[end] != ':' && pattern[end] != '[' &&
               pattern[end] != ']') {
            ++end;
        }
        std::string_view word = pattern.substr(i, end - i);
        const std::string_view suffix = numericSuffix(word);
        if (word.size() > suffix.size() && std::isdigit(static_cast<unsigned char>(word.back()))) {
            word.remove_suffix(suffix.size());
        }
        std::size_t shortLength = 0;
        while (shortLength < word.size() &&
               !std::islower(static_cast<unsigned char>(word[shortLength]))) {
            ++shortLength;
        }
        nodes_.push_back({upperCase(word.substr(0, shortLength)), upperCase(word),
                          std::string(suffix), optional});
        i = end;
    }
}

bool ScpiPattern::matches(const std::vector<std::string_view>& keywords) const {
    return matchFrom(0, keywords, 0);
}

bool ScpiPattern::matchesPath(std::string_view path) const {
    if (!path.empty() && path.front() == ':') {
        path.remove_prefix(1);
    }
    return matches(splitPath(path));
}

std::vector<std::string_view> ScpiPattern::splitPath(std::string_view path) {
    std::vector<std::string_view> keywords;
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = path.find(':', start);
        keywords.push_back(
            path.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (colon == std::string_view::npos) {
            return keywords;
        }
        start = colon + 1;
    }
}

bool ScpiPattern::matchFrom(std::size_t node, const std::vector<std::string_view>& keywords,
                            std::size_t keyword) const {
    if (node == nodes_.size()) {
        return keyword == keywords.size();
    }
    if (nodes_[node].optional && matchFrom(node + 1, keywords, keyword)) {
        return true;
    }
    return keyword < keywords.size() && nodeMatches(nodes_[node], keywords[keyword]) &&
           matchFrom(node + 1, keywords, keyword + 1);
}

bool ScpiPattern::nodeMatches(const Node& node, std::string_view keyword) {
    const std::string_view suffix = numericSuffix(keyword);
    if (std::isdigit(static_cast<unsigned char>(keyword.empty() ? 'x' : keyword.back()))) {
        keyword.remove_suffix(suffix.size());
    }
    return !keyword.empty() && suffix == node.suffix &&
           (equalsIgnoringCase(node.shortForm, keyword) ||
            equalsIgnoringCase(node.longForm, keyword));
}

}  // namespace tarvix::sim
