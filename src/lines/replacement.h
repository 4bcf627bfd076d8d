// The replacement text of a replace, read once into pieces: literal text,
// groups of the match, counters and date tokens.
//
//   $$                          one "$", always
//   $YYYY $YY $MM $M $DD $D     the date of the line's file, always; read
//   $hh $h $mm $m $ss $s $fff   left to right, the longest token first
//   $0 ... $99, ${name}         groups, with regular expressions only; a
//                               group the pattern lacks gives nothing
//   ${}, ${start=S,increment=I,padding=P}
//                               a counter, with counters only
//
// Anything else, "${...}" that is none of these included, stays as typed.
#pragma once

#include "lines/dates.h"
#include "lines/lines.h"

#include <functional>
#include <string_view>
#include <vector>

namespace lines {

enum class DateField {
    year4, year2, month2, month1, day2, day1, hour2, hour1,
    minute2, minute1, second2, second1, millisecond3,
};

struct CounterFormat {
    long long start = 0;
    long long increment = 1;
    int padding = 0;  // zero-padded width, sign included; 0 for none
    bool operator==(const CounterFormat&) const = default;
};

struct Piece {
    enum class Kind { literal, group, counter, date };
    Kind kind = Kind::literal;
    Text text;                // literal
    std::vector<int> groups;  // group: the numbers it may stand for, first set wins
    CounterFormat counter;
    DateField date = DateField::year4;
};

struct ReplacementTemplate {
    std::vector<Piece> pieces;
    bool usesDate = false;
    bool usesCounter = false;
};

struct TemplateOptions {
    bool groups = false;    // regular expressions: $n and ${name}
    bool counters = false;  // ${} and ${start=...}
    // The numbers of the groups called `name` (none when there is none).
    std::function<std::vector<int>(std::u16string_view name)> groupsNamed;
};

ReplacementTemplate parseReplacement(std::u16string_view replacement, const TemplateOptions& options);

// Appends what `field` of `date` shows.
void appendDateField(Text& out, DateField field, const DateTime& date);

// Appends the counter's value on the `index`-th matching line (from 0).
void appendCounter(Text& out, const CounterFormat& format, long long index);

}  // namespace lines
