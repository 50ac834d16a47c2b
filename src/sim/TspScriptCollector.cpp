// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TspScriptCollector.h"

#include <cctype>

namespace tarvix::sim {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

bool isName(std::string_view text) {
    if (text.empty() || std::isdigit(static_cast<unsigned char>(text.front()))) {
        return false;
    }
    for (const char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') {
            return false;
        }
    }
    return true;
}

// "loadscript", "loadscript NAME", "loadandrunscript NAME": true with the name and whether
// the script runs once loaded.
bool scriptStart(std::string_view line, std::string* name, bool* run) {
    line = trimmed(line);
    const std::size_t space = line.find_first_of(" \t");
    const std::string_view keyword = line.substr(0, space);
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : trimmed(line.substr(space));
    if ((keyword != "loadscript" && keyword != "loadandrunscript") ||
        (!rest.empty() && !isName(rest))) {
        return false;
    }
    *name = std::string(rest);
    *run = keyword == "loadandrunscript";
    return true;
}

}  // namespace

std::vector<TspScriptCollector::Piece> TspScriptCollector::feed(std::string_view message) {
    std::vector<Piece> pieces;
    std::string chunk;
    std::size_t start = 0;
    while (start <= message.size()) {
        std::size_t end = message.find('\n', start);
        end = end == std::string_view::npos ? message.size() : end;
        takeLine(message.substr(start, end - start), chunk, pieces);
        start = end + 1;
    }
    if (!trimmed(chunk).empty()) {
        pieces.push_back({Piece::Kind::Chunk, std::move(chunk), {}, false});
    }
    return pieces;
}

void TspScriptCollector::takeLine(std::string_view line, std::string& chunk,
                                  std::vector<Piece>& pieces) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (!collecting_) {
        std::string name;
        bool run = false;
        if (!scriptStart(line, &name, &run)) {
            chunk.append(line).push_back('\n');
            return;
        }
        if (!trimmed(chunk).empty()) {
            pieces.push_back({Piece::Kind::Chunk, std::move(chunk), {}, false});
        }
        chunk.clear();
        collecting_ = true;
        overflowed_ = false;
        script_ = {Piece::Kind::Script, {}, std::move(name), run};
        return;
    }
    if (trimmed(line) == "endscript") {
        collecting_ = false;
        if (overflowed_) {
            script_.kind = Piece::Kind::Refused;
            script_.text.clear();
        }
        pieces.push_back(std::move(script_));
        script_ = {};
        return;
    }
    if (script_.text.size() + line.size() + 1 > kMaxScriptLength) {
        overflowed_ = true;
        script_.text.clear();
        return;
    }
    if (!overflowed_) {
        script_.text.append(line).push_back('\n');
    }
}

}  // namespace tarvix::sim
