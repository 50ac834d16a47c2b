// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/ScpiCall.h"
#include "sim/ScpiPattern.h"

namespace tarvix::sim {

// What a program message did: the replies of its queries, in order, and its errors.
struct ScpiOutcome {
    std::vector<std::string> replies;
    std::vector<int> errors;
};

// An instrument's commands as a table of handlers, and the parser that runs program
// messages against it the way instruments take them: short and long keyword forms, any
// letter case, optional nodes, an optional leading colon, several commands separated by
// semicolons (a command without a leading colon continues the previous command's path),
// quoted strings, comma-separated parameters, and queries with a trailing "?". A header the
// table does not know is error -113 and gets no reply.
class ScpiCommandTable {
  public:
    using Handler = std::function<void(ScpiCall&)>;
    // Told of each error the moment a command raises it, so that a later "*CLS" of the same
    // message clears it as an instrument's would.
    using ErrorSink = std::function<void(int code)>;

    // A setting: `set` takes `minParameters` to `maxParameters` parameters; `query` (when
    // given) answers the header with "?".
    void add(std::string_view pattern, Handler set, Handler query = {}, int minParameters = 1,
             int maxParameters = 1);
    // A command without parameters ("*RST", "ROUTe:OPEN:ALL").
    void addCommand(std::string_view pattern, Handler run);
    // A query only ("*IDN", ":READ"; written without the "?").
    void addQuery(std::string_view pattern, Handler query);

    ScpiOutcome execute(std::string_view message, const ErrorSink& raised = {}) const;

  private:
    struct Entry {
        ScpiPattern pattern;
        Handler set;
        Handler query;
        int minParameters;
        int maxParameters;
    };

    struct Unit {
        std::string_view header;
        std::vector<std::string_view> parameters;
    };

    struct Run {
        ScpiOutcome& outcome;
        const ErrorSink& raised;
        void fail(int code) const;
    };

    // The entry the keywords spell, preferring one that takes the form (set or query) asked.
    const Entry* find(const std::vector<std::string_view>& keywords, bool query) const;
    void run(const Unit& unit, std::vector<std::string_view>& path, const Run& context) const;
    static void call(const Entry& entry, bool query, std::vector<std::string_view> parameters,
                     const Run& context);
    static int headerError(std::string_view header);

    static std::vector<std::string_view> split(std::string_view text, char separator);
    static std::string_view trim(std::string_view text);

    std::vector<Entry> entries_;
};

}  // namespace tarvix::sim
