// What the tests of the tools on lines share: lines written as UTF-8, the
// changes a tool makes read back as UTF-8, and dates given by hand.
#pragma once

#include "lines/dates.h"
#include "lines/lines.h"
#include "lines/unicodetext.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lines_test {

inline std::vector<lines::Text> texts(const std::vector<std::string>& utf8)
{
    std::vector<lines::Text> out;
    for (const auto& s : utf8)
        out.push_back(lines::fromUtf8(s));
    return out;
}

// Changes as (line, UTF-8 text) pairs, for readable failures.
using Changed = std::vector<std::pair<int, std::string>>;

inline Changed changed(const lines::Outcome& o)
{
    Changed out;
    for (const auto& c : o.changes)
        out.emplace_back(c.line, lines::toUtf8(c.text));
    return out;
}

// The date of each line given by hand; lines not given have none.
class FixedDates : public lines::DateSource {
public:
    explicit FixedDates(std::map<int, lines::DateTime> dates = {}) : dates_(std::move(dates)) {}
    std::optional<lines::DateTime> dateOf(int line, lines::DateKind kind) override
    {
        asked.emplace_back(line, kind);
        const auto it = dates_.find(line);
        return it == dates_.end() ? std::nullopt : std::optional(it->second);
    }
    std::vector<std::pair<int, lines::DateKind>> asked;

private:
    std::map<int, lines::DateTime> dates_;
};

}  // namespace lines_test
