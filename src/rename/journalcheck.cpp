#include "rename/journalcheck.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace renaming {

namespace {

// A stamp the run could not take is zeros; no file has inode 0.
bool known(const FileStamp& s) { return s.inode != 0; }

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

// The operations of one entry, in the order they came.
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
    if (move && move->after && known(move->before) && known(*move->after) && *move->after != move->before)
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

std::set<int> unsoundEntries(const Journal& journal)
{
    std::set<int> bad;
    std::map<int, std::vector<const JournalStep*>> byEntry;
    // Each old name is one entry's, and each name made is made once.
    std::map<std::string_view, int> oldNames, madeNames;
    auto claim = [&bad](std::map<std::string_view, int>& names, std::string_view name, int entry) {
        const auto [at, fresh] = names.try_emplace(name, entry);
        if (!fresh && at->second != entry) {
            bad.insert(entry);
            bad.insert(at->second);
        }
    };
    int last = -1;
    for (const JournalStep& s : journal.steps) {
        if (s.entry < 0 || s.entry >= journal.entries || !namesSound(s))
            bad.insert(s.entry);
        // An entry's records in one run of lines, after every lower number.
        if (s.entry < last || (s.entry != last && byEntry.count(s.entry)))
            bad.insert(s.entry);
        last = std::max(last, s.entry);
        byEntry[s.entry].push_back(&s);
        claim(oldNames, s.from, s.entry);
        if (s.after && s.op != JournalOp::remove)
            claim(madeNames, s.to, s.entry);
    }
    for (const auto& [entry, steps] : byEntry)
        if (!stepsSound(steps))
            bad.insert(entry);
    return bad;
}

}  // namespace renaming
