// What the tools that make names work on: the lines of the new-names list as
// UTF-16 text (the characters the editor holds, stand-ins of undecodable
// bytes included, so that a line no tool touches is given back exactly), and
// what a tool makes of them.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace lines {

using Text = std::u16string;

// Line `line` (0-based) becomes `text`.
struct LineChange {
    int line = 0;
    Text text;
    bool operator==(const LineChange&) const = default;
};

// The lines a tool works on: `first` up to but not including `end`.
struct LineRange {
    int first = 0;
    int end = 0;
};

struct Outcome {
    std::vector<LineChange> changes;  // in the order of the lines
    // Lines that matched but were left as they were: their file has no
    // date to put in, or there is no file beside them.
    int withoutDate = 0;
    bool cancelled = false;
};

// Raised by another thread to stop a tool that is still at work.
using CancelFlag = std::atomic<bool>;

}  // namespace lines
