// What undo and redo take back and put again on the memo's text: steps of
// changes, each step one edit as the user sees it. Characters typed one
// after the other join one step, and so do Deletes and Backspaces that
// follow each other, as the toolkit's editors have always merged them.
#pragma once

#include "rename/linestore.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace renaming {

class LineHistory {
public:
    using Pos = LineStore::Pos;
    struct Caret {
        Pos anchor = 0, position = 0;
        bool operator==(const Caret&) const = default;
    };
    // What made a change: a typed character (or text typed over a
    // selection), a Delete or Backspace, or anything else.
    enum class Kind { other, typing, deleting };
    // One change: [at, at + length) holds what replaced `text`.
    struct Change {
        Pos at = 0;
        std::u16string text;
        Pos length = 0;
    };
    // Told of each change as undo or redo makes it: `removed` units at `at`
    // replaced by `inserted`.
    using Observer = std::function<void(Pos at, Pos removed, Pos inserted)>;

    // A change made by typing, a Delete or a Backspace: it joins the last
    // step where that one was of the same kind and this change goes on
    // where it ended.
    void typed(Kind kind, Caret before, Change change, Caret after);

    // A step of any number of changes, in the order they were made.
    void begin(Caret before);
    void record(Change change);
    void end(Caret after);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Takes the last step back (puts it again) and gives the caret it had
    // before (after) it; nothing when the store could not take the text.
    std::optional<Caret> undo(LineStore& store, const Observer& observe = {});
    std::optional<Caret> redo(LineStore& store, const Observer& observe = {});

    void clear();
    // The next typing starts a step of its own.
    void seal() { open_ = false; }

private:
    struct Step {
        std::vector<Change> changes;
        Caret before, after;
        Kind kind = Kind::other;
    };
    static bool swap(std::vector<Change>& changes, bool backwards, LineStore& store,
                     const Observer& observe);

    std::vector<Step> undo_, redo_;
    bool open_ = false;     // the last step may take more typing
    bool recording_ = false;
};

}  // namespace renaming
