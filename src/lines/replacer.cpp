#include "lines/replacer.h"

#include "lines/unicodetext.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <unicode/utf16.h>

namespace lines {

namespace {

PCRE2_SPTR16 units(const Text& t) { return reinterpret_cast<PCRE2_SPTR16>(t.data()); }

// The text the search sees: NFC, no-break spaces as spaces. Both change one
// code unit for one, so positions in it are positions in `nfc`.
void prepare(const Text& line, Text& nfc, Text& seen)
{
    nfc = toNfc(line);
    seen = nfc;
    for (char16_t& c : seen)
        if (c == 0xA0)
            c = u' ';
}

std::string errorText(int code)
{
    PCRE2_UCHAR16 buf[256];
    const int n = pcre2_get_error_message(code, buf, sizeof buf / sizeof buf[0]);
    if (n < 0)
        return "error " + std::to_string(code);
    return toUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buf), static_cast<size_t>(n)));
}

}  // namespace

struct Replacer::Engine {
    pcre2_code_16* code = nullptr;
    ~Engine() { pcre2_code_free_16(code); }
};

Replacer::Replacer(const ReplaceSettings& s) : date_(s.date), all_(s.all)
{
    if (s.replacement.find(u'\0') != Text::npos) {
        problem_ = ReplaceProblem{ReplaceProblem::Kind::nul, {}, 0};
        return;
    }
    if (holdsBreakOrNul(s.replacement)) {
        problem_ = ReplaceProblem{ReplaceProblem::Kind::lineBreak, {}, 0};
        return;
    }
    if (s.search.empty())
        return;  // matches nothing, and is no fault

    Text pattern, unused;
    prepare(s.search, unused, pattern);
    uint32_t options = PCRE2_UTF | (s.matchCase ? 0 : PCRE2_CASELESS);
    options |= s.regex ? PCRE2_UCP : PCRE2_LITERAL;
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code_16* code =
        pcre2_compile_16(units(pattern), pattern.size(), options, &error, &offset, nullptr);
    if (!code) {
        problem_ = ReplaceProblem{ReplaceProblem::Kind::pattern, errorText(error),
                                  charCount(pattern, offset)};
        return;
    }
    // Without the just-in-time compiler (a system that forbids it) the
    // interpreter gives the same matches, only slower.
    pcre2_jit_compile_16(code, PCRE2_JIT_COMPLETE);
    engine_ = std::make_unique<Engine>();
    engine_->code = code;

    TemplateOptions t;
    t.groups = s.regex;
    t.counters = s.counter;
    t.groupsNamed = [code](std::u16string_view name) {
        std::vector<int> numbers;
        const Text z(name);
        PCRE2_SPTR16 first = nullptr, last = nullptr;
        const int size = pcre2_substring_nametable_scan_16(code, units(z), &first, &last);
        if (size <= 0)
            return numbers;
        // Each entry: the group's number, then its name.
        for (PCRE2_SPTR16 e = first; e <= last; e += size)
            numbers.push_back(static_cast<int>(e[0]));
        return numbers;
    };
    template_ = parseReplacement(s.replacement, t);
}

Replacer::~Replacer() = default;
Replacer::Replacer(Replacer&&) noexcept = default;
Replacer& Replacer::operator=(Replacer&&) noexcept = default;

Outcome Replacer::run(const std::vector<Text>& lines, LineRange range, DateSource* dates,
                      const CancelFlag* cancel) const
{
    Outcome out;
    if (!engine_)
        return out;
    pcre2_match_data_16* md = pcre2_match_data_create_from_pattern_16(engine_->code, nullptr);
    struct Free {
        pcre2_match_data_16* md;
        ~Free() { pcre2_match_data_free_16(md); }
    } freeMd{md};
    uint32_t groupCount = 0;
    pcre2_pattern_info_16(engine_->code, PCRE2_INFO_CAPTURECOUNT, &groupCount);

    long long matched = 0;  // the counter's index: matching lines so far
    Text nfc, seen, result;
    const int end = std::min<int>(range.end, static_cast<int>(lines.size()));
    for (int li = std::max(range.first, 0); li < end; ++li) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            out.cancelled = true;
            break;
        }
        const Text& line = lines[static_cast<size_t>(li)];
        prepare(line, nfc, seen);

        std::optional<DateTime> date;
        bool any = false, noDate = false;
        result.clear();
        size_t from = 0;    // where the next search starts
        size_t copied = 0;  // how much of the line is in the result
        bool afterEmpty = false;
        uint32_t checked = 0;  // the line is checked as UTF-16 once
        for (;;) {
            const uint32_t options =
                checked | (afterEmpty ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0);
            const int rc =
                pcre2_match_16(engine_->code, units(seen), seen.size(), from, options, md, nullptr);
            if (rc == PCRE2_ERROR_NOMATCH && afterEmpty) {
                // No non-empty match where an empty one was: one character
                // on, and search again.
                if (from >= seen.size())
                    break;
                from += U16_IS_LEAD(seen[from]) && from + 1 < seen.size() &&
                                U16_IS_TRAIL(seen[from + 1])
                            ? 2
                            : 1;
                afterEmpty = false;
                continue;
            }
            if (rc < 0)
                break;  // no match, or a line the engine cannot read
            checked = PCRE2_NO_UTF_CHECK;
            const PCRE2_SIZE* ov = pcre2_get_ovector_pointer_16(md);
            const size_t ms = ov[0], me = ov[1];
            if (!any) {
                any = true;
                if (template_.usesDate) {
                    date = dates ? dates->dateOf(li, date_) : std::nullopt;
                    if (!date) {
                        noDate = true;
                        break;
                    }
                }
            }
            result.append(nfc, copied, ms - copied);
            for (const Piece& p : template_.pieces) {
                switch (p.kind) {
                case Piece::Kind::literal: result += p.text; break;
                case Piece::Kind::group:
                    for (const int g : p.groups) {
                        if (g < 0 || g >= rc || static_cast<uint32_t>(g) > groupCount)
                            continue;
                        const size_t gs = ov[2 * g], ge = ov[2 * g + 1];
                        if (gs == PCRE2_UNSET)
                            continue;
                        result.append(nfc, gs, ge - gs);
                        break;
                    }
                    break;
                case Piece::Kind::counter: appendCounter(result, p.counter, matched); break;
                case Piece::Kind::date: appendDateField(result, p.date, *date); break;
                }
            }
            copied = me;
            if (!all_)
                break;
            from = me;
            afterEmpty = ms == me;
        }
        if (!any)
            continue;
        ++matched;
        if (noDate) {
            ++out.withoutDate;
            continue;
        }
        result.append(nfc, copied, Text::npos);
        Text done = toNfc(result);
        if (done != line)
            out.changes.push_back({li, std::move(done)});
    }
    return out;
}

}  // namespace lines
