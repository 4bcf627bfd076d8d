#include "lines/replacement.h"

#include <cstdio>
#include <optional>

namespace lines {

namespace {

struct Token {
    std::u16string_view spelling;
    DateField field;
};

// Longest first, so that "$YYYY" is never read as "$YY" and "YY".
constexpr Token kDateTokens[] = {
    {u"YYYY", DateField::year4},   {u"YY", DateField::year2},   {u"MM", DateField::month2},
    {u"M", DateField::month1},     {u"DD", DateField::day2},    {u"D", DateField::day1},
    {u"hh", DateField::hour2},     {u"h", DateField::hour1},    {u"mm", DateField::minute2},
    {u"m", DateField::minute1},    {u"ss", DateField::second2}, {u"s", DateField::second1},
    {u"fff", DateField::millisecond3},
};

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool isNameChar(char16_t c, bool first)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' ||
           (!first && isDigit(c));
}

// A group's name as the engine writes it: a letter or "_", then letters,
// digits and "_".
bool isGroupName(std::u16string_view s)
{
    if (s.empty())
        return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (!isNameChar(s[i], i == 0))
            return false;
    return true;
}

bool allDigits(std::u16string_view s)
{
    if (s.empty() || s.size() > 3)
        return false;
    for (const char16_t c : s)
        if (!isDigit(c))
            return false;
    return true;
}

std::u16string_view trimmed(std::u16string_view s)
{
    while (!s.empty() && s.front() == u' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == u' ')
        s.remove_suffix(1);
    return s;
}

// A whole decimal number within ±`limit`, with an optional sign.
std::optional<long long> number(std::u16string_view s, long long limit, bool sign)
{
    s = trimmed(s);
    bool negative = false;
    if (sign && !s.empty() && (s.front() == u'-' || s.front() == u'+')) {
        negative = s.front() == u'-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return std::nullopt;
    long long v = 0;
    for (const char16_t c : s) {
        if (!isDigit(c))
            return std::nullopt;
        v = v * 10 + (c - u'0');
        if (v > limit)
            return std::nullopt;
    }
    return negative ? -v : v;
}

// The inside of "${...}" as a counter's settings, or nothing.
std::optional<CounterFormat> counterFormat(std::u16string_view inside)
{
    CounterFormat f;
    if (trimmed(inside).empty())
        return f;
    // The limits keep start + index * increment well inside 64 bits for any
    // number of lines.
    constexpr long long kLimit = 999999999;
    bool seen[3] = {};
    while (!inside.empty()) {
        const size_t comma = inside.find(u',');
        const std::u16string_view item = inside.substr(0, comma);
        inside = comma == std::u16string_view::npos ? std::u16string_view() : inside.substr(comma + 1);
        if (comma != std::u16string_view::npos && inside.empty())
            return std::nullopt;  // a trailing comma
        const size_t eq = item.find(u'=');
        if (eq == std::u16string_view::npos)
            return std::nullopt;
        const std::u16string_view key = trimmed(item.substr(0, eq));
        const std::u16string_view value = item.substr(eq + 1);
        int which = key == u"start" ? 0 : key == u"increment" ? 1 : key == u"padding" ? 2 : -1;
        if (which < 0 || seen[which])
            return std::nullopt;
        seen[which] = true;
        const auto v = number(value, which == 2 ? 255 : kLimit, which != 2);
        if (!v)
            return std::nullopt;
        if (which == 0)
            f.start = *v;
        else if (which == 1)
            f.increment = *v;
        else
            f.padding = static_cast<int>(*v);
    }
    return f;
}

void appendAscii(Text& out, const char* s)
{
    for (; *s; ++s)
        out += static_cast<char16_t>(*s);
}

void appendNumber(Text& out, long long v, int width)
{
    char buf[320];
    std::snprintf(buf, sizeof buf, "%0*lld", width, v);
    appendAscii(out, buf);
}

}  // namespace

ReplacementTemplate parseReplacement(std::u16string_view r, const TemplateOptions& options)
{
    ReplacementTemplate t;
    Text literal;
    auto flush = [&] {
        if (literal.empty())
            return;
        Piece p;
        p.text = std::move(literal);
        t.pieces.push_back(std::move(p));
        literal.clear();
    };
    auto push = [&](Piece p) {
        flush();
        t.pieces.push_back(std::move(p));
    };

    size_t i = 0;
    while (i < r.size()) {
        if (r[i] != u'$' || i + 1 == r.size()) {
            literal += r[i++];
            continue;
        }
        const std::u16string_view rest = r.substr(i + 1);
        if (rest.front() == u'$') {
            literal += u'$';
            i += 2;
            continue;
        }
        bool taken = false;
        for (const Token& tok : kDateTokens) {
            if (rest.substr(0, tok.spelling.size()) == tok.spelling) {
                Piece p;
                p.kind = Piece::Kind::date;
                p.date = tok.field;
                push(std::move(p));
                t.usesDate = true;
                i += 1 + tok.spelling.size();
                taken = true;
                break;
            }
        }
        if (taken)
            continue;
        if (options.groups && isDigit(rest.front())) {
            // One or two digits: $1 ... $99.
            const size_t n = rest.size() > 1 && isDigit(rest[1]) ? 2 : 1;
            Piece p;
            p.kind = Piece::Kind::group;
            p.groups.push_back(static_cast<int>(*number(rest.substr(0, n), 99, false)));
            push(std::move(p));
            i += 1 + n;
            continue;
        }
        if (rest.front() == u'{') {
            const size_t close = rest.find(u'}');
            if (close != std::u16string_view::npos) {
                const std::u16string_view inside = rest.substr(1, close - 1);
                if (options.counters) {
                    if (const auto f = counterFormat(inside)) {
                        Piece p;
                        p.kind = Piece::Kind::counter;
                        p.counter = *f;
                        push(std::move(p));
                        t.usesCounter = true;
                        i += 1 + close + 1;
                        continue;
                    }
                }
                if (options.groups && (isGroupName(inside) || allDigits(inside))) {
                    Piece p;
                    p.kind = Piece::Kind::group;
                    if (allDigits(inside))
                        p.groups.push_back(static_cast<int>(*number(inside, 999, false)));
                    else if (options.groupsNamed)
                        p.groups = options.groupsNamed(inside);
                    push(std::move(p));
                    i += 1 + close + 1;
                    continue;
                }
            }
        }
        literal += r[i++];
    }
    flush();
    return t;
}

void appendDateField(Text& out, DateField field, const DateTime& d)
{
    switch (field) {
    case DateField::year4: return appendNumber(out, d.year, 4);
    case DateField::year2: return appendNumber(out, ((d.year % 100) + 100) % 100, 2);
    case DateField::month2: return appendNumber(out, d.month, 2);
    case DateField::month1: return appendNumber(out, d.month, 0);
    case DateField::day2: return appendNumber(out, d.day, 2);
    case DateField::day1: return appendNumber(out, d.day, 0);
    case DateField::hour2: return appendNumber(out, d.hour, 2);
    case DateField::hour1: return appendNumber(out, d.hour, 0);
    case DateField::minute2: return appendNumber(out, d.minute, 2);
    case DateField::minute1: return appendNumber(out, d.minute, 0);
    case DateField::second2: return appendNumber(out, d.second, 2);
    case DateField::second1: return appendNumber(out, d.second, 0);
    case DateField::millisecond3: return appendNumber(out, d.millisecond, 3);
    }
}

void appendCounter(Text& out, const CounterFormat& f, long long index)
{
    appendNumber(out, f.start + index * f.increment, f.padding);
}

}  // namespace lines
