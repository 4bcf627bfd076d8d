// Find and replace on lines, with Perl-compatible regular expressions (PCRE2)
// or literal text, counters and the dates of the lines' files.
//
// A line and the search text are compared in NFC, with a no-break space
// taken as a space; a line that matches comes out in NFC, and a line that
// does not is left exactly as it was.
#pragma once

#include "lines/dates.h"
#include "lines/lines.h"
#include "lines/replacement.h"

#include <memory>
#include <optional>
#include <string>

namespace lines {

struct ReplaceSettings {
    Text search;
    Text replacement;
    bool regex = false;      // "正規表現を使う"
    bool matchCase = false;  // "大文字と小文字を区別する"
    bool all = false;        // "すべての一致を置換する"
    bool counter = false;    // "連番を使う"
    DateKind date = DateKind::modified;
};

// Why a replace cannot be made.
struct ReplaceProblem {
    enum class Kind { pattern, lineBreak, nul };
    Kind kind = Kind::pattern;
    std::string message;  // the engine's own words, for a pattern
    int offset = 0;       // where in the search text (characters), for a pattern
};

class Replacer {
public:
    explicit Replacer(const ReplaceSettings& settings);
    ~Replacer();
    Replacer(Replacer&&) noexcept;
    Replacer& operator=(Replacer&&) noexcept;

    // Set when the search or replacement text is refused; nothing matches then.
    const std::optional<ReplaceProblem>& problem() const { return problem_; }
    bool usesDate() const { return template_.usesDate; }

    // Replaces in lines `range` of `lines`; line i takes its date from
    // `dates` (which may be null when no token needs one). Stops early,
    // with `cancelled` set, once `cancel` is raised.
    Outcome run(const std::vector<Text>& lines, LineRange range, DateSource* dates,
                const CancelFlag* cancel = nullptr) const;

private:
    struct Engine;
    std::unique_ptr<Engine> engine_;
    ReplacementTemplate template_;
    DateKind date_ = DateKind::modified;
    bool all_ = false;
    std::optional<ReplaceProblem> problem_;
};

}  // namespace lines
