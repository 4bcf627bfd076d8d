#include "rename/linehistory.h"

#include <utility>

namespace renaming {

void LineHistory::typed(Kind kind, Caret before, Change change, Caret after)
{
    redo_.clear();
    if (open_ && !undo_.empty() && undo_.back().kind == kind) {
        Step& last = undo_.back();
        Change& prev = last.changes.back();
        bool joined = false;
        if (kind == Kind::typing && change.text.empty() && prev.at + prev.length == change.at) {
            prev.length += change.length;
            joined = true;
        } else if (kind == Kind::deleting && change.length == 0 && prev.length == 0) {
            if (change.at == prev.at) {  // Delete: the next character
                prev.text += change.text;
                joined = true;
            } else if (change.at + static_cast<Pos>(change.text.size()) == prev.at) {  // Backspace
                prev.text.insert(0, change.text);
                prev.at = change.at;
                joined = true;
            }
        }
        if (joined) {
            last.after = after;
            return;
        }
    }
    Step step;
    step.changes.push_back(std::move(change));
    step.before = before;
    step.after = after;
    step.kind = kind;
    undo_.push_back(std::move(step));
    open_ = kind != Kind::other;
}

void LineHistory::begin(Caret before)
{
    redo_.clear();
    Step step;
    step.before = step.after = before;
    undo_.push_back(std::move(step));
    recording_ = true;
    open_ = false;
}

void LineHistory::record(Change change)
{
    if (!recording_)
        return;
    auto& changes = undo_.back().changes;
    // Text added right where the last change ended is one change with it
    // (a long text read in pieces).
    if (!changes.empty() && change.text.empty()) {
        Change& prev = changes.back();
        if (prev.at + prev.length == change.at) {
            prev.length += change.length;
            return;
        }
    }
    changes.push_back(std::move(change));
}

void LineHistory::end(Caret after)
{
    if (!recording_)
        return;
    recording_ = false;
    if (undo_.back().changes.empty())
        undo_.pop_back();
    else
        undo_.back().after = after;
}

bool LineHistory::swap(std::vector<Change>& changes, bool backwards, LineStore& store,
                       const Observer& observe)
{
    const size_t n = changes.size();
    for (size_t i = 0; i < n; ++i) {
        Change& c = changes[backwards ? n - 1 - i : i];
        std::u16string now = store.text(c.at, c.at + c.length);
        if (!store.replace(c.at, c.at + c.length, c.text)) {
            // Out of memory: what was done of the step is done again the
            // other way, so that the text is as it was.
            for (size_t j = i; j-- > 0;) {
                Change& d = changes[backwards ? n - 1 - j : j];
                std::u16string back = store.text(d.at, d.at + d.length);
                store.replace(d.at, d.at + d.length, d.text);
                d.length = static_cast<Pos>(d.text.size());
                d.text = std::move(back);
            }
            return false;
        }
        if (observe)
            observe(c.at, c.length, static_cast<Pos>(c.text.size()));
        c.length = static_cast<Pos>(c.text.size());
        c.text = std::move(now);
    }
    return true;
}

std::optional<LineHistory::Caret> LineHistory::undo(LineStore& store, const Observer& observe)
{
    if (undo_.empty())
        return std::nullopt;
    open_ = false;
    Step& step = undo_.back();
    if (!swap(step.changes, true, store, observe))
        return std::nullopt;
    const Caret caret = step.before;
    redo_.push_back(std::move(step));
    undo_.pop_back();
    return caret;
}

std::optional<LineHistory::Caret> LineHistory::redo(LineStore& store, const Observer& observe)
{
    if (redo_.empty())
        return std::nullopt;
    open_ = false;
    Step& step = redo_.back();
    if (!swap(step.changes, false, store, observe))
        return std::nullopt;
    const Caret caret = step.after;
    undo_.push_back(std::move(step));
    redo_.pop_back();
    return caret;
}

void LineHistory::clear()
{
    undo_.clear();
    redo_.clear();
    undo_.shrink_to_fit();
    redo_.shrink_to_fit();
    open_ = recording_ = false;
}

}  // namespace renaming
