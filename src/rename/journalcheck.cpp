#include "rename/journalcheck.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace renaming {

namespace {

// A stamp the run could not take is zeros; no file has inode 0.
bool known(const platform::FileId& s) { return s.inode != 0; }

bool namesSound(const JournalStep& s)
{
    if (!bareName(s.from))
        return false;
    if (s.op == JournalOp::remove)
        return s.to.empty();
    // A line that names an entry's own name is refused by the run (the
    // name is taken), and only its refusal is a record it writes.
    return bareName(s.to) && (s.to != s.from || !s.after);
}

// One operation of an entry, in the order its records came: a move, or a
// copy with the removal of its original (and the move the file system
// refused, in whose place they came).
bool stepsSound(const std::vector<const JournalStep*>& steps)
{
    const JournalStep* move = nullptr;
    const JournalStep* copy = nullptr;
    const JournalStep* remove = nullptr;
    for (const JournalStep* s : steps) {
        if (s->from != steps.front()->from || (s->op != JournalOp::remove && s->to != steps.front()->to))
            return false;
        switch (s->op) {
        case JournalOp::move:
            // First, and alone unless it was refused.
            if (move || copy || remove)
                return false;
            move = s;
            break;
        case JournalOp::copy:
            if (copy || remove || (move && !move->failedErrno))
                return false;
            copy = s;
            break;
        case JournalOp::remove:
            if (remove || !copy || !copy->after)
                return false;
            remove = s;
            break;
        }
    }
    if (move && move->after && known(move->before) && known(*move->after) && !sameRecord(*move->after, move->before))
        return false;
    if (copy && copy->after && known(copy->before) && copy->after->inode == copy->before.inode)
        return false;
    if (remove && known(remove->before) && known(copy->before) && remove->before.inode != copy->before.inode)
        return false;
    return true;
}

}  // namespace

bool bareName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

namespace {

// Splits an entry's records into its operations, as undo takes them back.
std::vector<std::vector<const JournalStep*>> operationsOf(const std::vector<const JournalStep*>& steps)
{
    std::vector<std::vector<const JournalStep*>> ops;
    for (const JournalStep* s : steps) {
        const bool follows =
            !ops.empty() && ((s->op == JournalOp::copy && ops.back().back()->op == JournalOp::move &&
                              ops.back().back()->failedErrno && ops.back().back()->from == s->from) ||
                             (s->op == JournalOp::remove && ops.back().back()->op == JournalOp::copy &&
                              ops.back().back()->from == s->from));
        if (follows)
            ops.back().push_back(s);
        else
            ops.push_back({s});
    }
    return ops;
}

}  // namespace

std::set<int> unsoundEntries(const Journal& journal)
{
    std::set<int> bad;
    std::map<int, std::vector<const JournalStep*>> byEntry;
    for (const auto& [entry, name] : journal.temporaries)
        if (!bareName(name))
            bad.insert(entry);
    for (const JournalStep& s : journal.steps) {
        if (s.entry < 0 || s.entry >= journal.entries || !namesSound(s))
            bad.insert(s.entry);
        byEntry[s.entry].push_back(&s);
    }
    // Each old name is one entry's, each name a run left a file under is
    // one entry's, and so is each copy left beside its original.
    std::map<std::string_view, int> oldNames, leftNames;
    auto claim = [&bad](std::map<std::string_view, int>& names, std::string_view name, int entry) {
        const auto [at, fresh] = names.try_emplace(name, entry);
        if (!fresh && at->second != entry) {
            bad.insert(entry);
            bad.insert(at->second);
        }
    };
    for (const auto& [entry, steps] : byEntry) {
        // Where the entry's file is after each operation: an operation
        // takes it on from there (a cycle's file from its temporary name,
        // or back from where the cycle had put it).
        const std::string_view old = steps.front()->from;
        std::string_view where = old;
        claim(oldNames, old, entry);
        for (const auto& op : operationsOf(steps)) {
            if (!stepsSound(op) || op.front()->from != where) {
                bad.insert(entry);
                break;
            }
            const JournalStep* copy = nullptr;
            const JournalStep* remove = nullptr;
            for (const JournalStep* s : op) {
                if (s->op == JournalOp::copy)
                    copy = s;
                else if (s->op == JournalOp::remove)
                    remove = s;
            }
            const JournalStep& first = *op.front();
            if (first.op == JournalOp::move && first.after)
                where = first.to;
            else if (copy && copy->after && remove && remove->after)
                where = copy->to;
            else if (copy && copy->after)
                claim(leftNames, copy->to, entry);
        }
        if (where != old)
            claim(leftNames, where, entry);
    }
    return bad;
}

}  // namespace renaming
