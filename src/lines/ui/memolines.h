// The memo's lines as the tools read them, and their results put back as one
// edit of the memo, which its own undo (Ctrl+Z) takes back whole.
#pragma once

#include "lines/lines.h"

#include <optional>
#include <vector>

namespace renaming {
class TMemo;
}

namespace lines::ui {

struct MemoSnapshot {
    std::vector<Text> lines;              // every line, as the editor holds it
    std::optional<LineRange> selection;   // the lines the selection touches
};

MemoSnapshot snapshotOf(const renaming::TMemo& memo);

// Each changed line's text replaced, every other line and every line break
// left as it is.
void applyChanges(renaming::TMemo& memo, const std::vector<LineChange>& changes);

// The whole text replaced by `lines`, each followed by a line break.
void replaceAllLines(renaming::TMemo& memo, const std::vector<Text>& lines);

}  // namespace lines::ui
