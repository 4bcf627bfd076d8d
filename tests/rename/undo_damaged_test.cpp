// Undo from a journal that a failing disk or a hand has damaged, on real
// files: cut short, bytes flipped, a record from a name to itself, names
// leading out of the folder, entry numbers given twice. Whatever the
// journal says, nothing outside the folder is touched, no content in the
// folder loses its last name, and the records that cannot be trusted are
// left alone and reported.
#include "platform/folder.h"
#include "rename/folderondisk.h"
#include "rename/renamerun.h"
#include "rename/undo.h"
#include "support/journalled.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <set>

using namespace testing_support;
using namespace renaming;
using platform::FileId;

namespace {

// The folder a run renamed, inside a folder of its own beside files that
// are none of the run's business.
struct Laid {
    ScratchDir top, state;
    std::string work = top / "work";
    FileId stampOf(const std::string& path) const
    {
        const auto folder = platform::FolderHandle::open(path.substr(0, path.rfind('/'))).value();
        return renaming::stampOf(folder.fd(), path.substr(path.rfind('/') + 1)).value_or(FileId{});
    }
};

// The journal's records, one a line.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> out;
    for (size_t at = 0; at < text.size();) {
        const size_t nl = text.find('\n', at);
        out.push_back(text.substr(at, nl == std::string::npos ? nl : nl + 1 - at));
        at = nl == std::string::npos ? text.size() : nl + 1;
    }
    return out;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& l : lines)
        out += l;
    return out;
}

// True for a record of an operation of `entry`.
bool ofEntry(const std::string& line, int entry)
{
    return (line.starts_with("intent") || line.starts_with("done") || line.starts_with("failed")) &&
           line.find("\t" + std::to_string(entry) + "\t") == line.find('\t');
}

// Puts `records` in place of the records of `entry`.
std::string withEntry(const std::string& text, int entry, const std::string& records)
{
    std::vector<std::string> out;
    bool put = false;
    for (const auto& l : linesOf(text)) {
        if (!ofEntry(l, entry))
            out.push_back(l);
        else if (!put)
            out.push_back(records), put = true;
    }
    return joined(out);
}

std::string moved(int entry, const std::string& from, const std::string& to, const FileId& s)
{
    return journal_text::intent(entry, JournalOp::move, from, to, s) +
           journal_text::done(entry, JournalOp::move, s);
}

struct Damage {
    const char* name;
    bool deleteOld;
    std::function<std::string(const std::string& text, const Laid& laid)> damage;
    int restored;  // entries taken back
    int unsound;   // entries whose records were left alone for failing the checks
    // The run renamed a.txt→b.txt→c.txt→a.txt, a cycle through a temporary name.
    bool cycle = false;
};

void PrintTo(const Damage& d, std::ostream* os) { *os << d.name; }

class UndoOfADamagedJournal : public ::testing::TestWithParam<Damage> {};

TEST_P(UndoOfADamagedJournal, TouchesNothingOutsideAndLosesNoContent)
{
    const Damage& c = GetParam();
    Laid laid;
    laid.top.mkdir("work");
    laid.top.mkdir("beside");
    writeFile(laid.top / "outside.txt", "not the run's");
    writeFile(laid.top / "beside/kept.txt", "not the run's either");
    for (const char* n : {"a.txt", "b.txt", "c.txt"})
        writeFile(laid.work + "/" + n, std::string("content of ") + n);

    const std::string path = laid.state / "run.journal";
    {
        JournalWriter journal = journalAt(path);
        RunRequest rq;
        rq.folder = platform::FolderHandle::open(laid.work).value();
        rq.entries = {"a.txt", "b.txt", "c.txt"};
        rq.lines = c.cycle ? std::vector<std::string>{"b", "c", "a"} : std::vector<std::string>{"x", "y", "z"};
        rq.deleteOld = c.deleteOld;
        rq.swap = c.cycle;
        rq.journal = &journal;
        ASSERT_EQ(runRename(rq).success, 3);
    }
    const auto damaged = parseJournal(c.damage(readFile(path), laid));
    ASSERT_TRUE(damaged) << "the damage left no journal at all";
    const auto outside = snapshot(laid.top.path()), beside = snapshot(laid.top / "beside");
    std::set<std::string> contents;
    for (const auto& [name, content] : snapshot(laid.work))
        contents.insert(content);

    const auto folder = platform::FolderHandle::open(laid.work).value();
    UndoOnDisk disk(folder.fd());
    const UndoReport report = undoRun(*damaged, disk);

    EXPECT_EQ(snapshot(laid.top.path()), outside);
    EXPECT_EQ(snapshot(laid.top / "beside"), beside);
    std::set<std::string> after;
    for (const auto& [name, content] : snapshot(laid.work))
        after.insert(content);
    EXPECT_TRUE(std::includes(after.begin(), after.end(), contents.begin(), contents.end()))
        << "a content lost its last name";
    EXPECT_EQ(report.restored, c.restored);
    EXPECT_EQ(std::count_if(report.steps.begin(), report.steps.end(),
                            [](const UndoStep& s) { return s.result == UndoResult::leftUnsound; }),
              c.unsound);
}

INSTANTIATE_TEST_SUITE_P(
    , UndoOfADamagedJournal,
    ::testing::Values(
        Damage{"CutShortInTheLastRecord", true,
               [](const std::string& text, const Laid&) { return text.substr(0, text.size() - 9); }, 3, 0},
        Damage{"FlippedDigitInAnInode", true,
               [](const std::string& text, const Laid&) {
                   auto lines = linesOf(text);
                   for (auto& l : lines)
                       if (l.starts_with("done\t1\t"))
                           l[l.size() - 2] = l[l.size() - 2] == '1' ? '2' : '1';
                   return joined(lines);
               },
               2, 1},
        Damage{"FlippedByteInAName", true,
               [](const std::string& text, const Laid&) {
                   std::string t = text;
                   t[t.find("y.txt")] = 'q';
                   return t;
               },
               2, 0},
        Damage{"MoveFromANameToItself", true,
               [](const std::string& text, const Laid& laid) {
                   return withEntry(text, 0, moved(0, "x.txt", "x.txt", laid.stampOf(laid.work + "/x.txt")));
               },
               2, 1},
        // The copy is all that is left: the user removed the original.
        Damage{"CopyFromANameToItself", false,
               [](const std::string& text, const Laid& laid) {
                   ::unlink((laid.work + "/a.txt").c_str());
                   const FileId x = laid.stampOf(laid.work + "/x.txt");
                   return withEntry(text, 0,
                                    journal_text::intent(0, JournalOp::copy, "x.txt", "x.txt", x) +
                                        journal_text::done(0, JournalOp::copy, x));
               },
               2, 1},
        Damage{"ParentFolderInANewName", true,
               [](const std::string& text, const Laid& laid) {
                   const FileId outside = laid.stampOf(laid.top / "outside.txt");
                   return withEntry(text, 0, moved(0, "a.txt", "../outside.txt", outside));
               },
               2, 1},
        Damage{"AbsoluteNewName", true,
               [](const std::string& text, const Laid& laid) {
                   const std::string kept = laid.top / "beside/kept.txt";
                   return withEntry(text, 1, moved(1, "b.txt", kept, laid.stampOf(kept)));
               },
               2, 1},
        Damage{"ParentFolderInAnOldName", true,
               [](const std::string& text, const Laid& laid) {
                   const std::string x = laid.work + "/x.txt";
                   return withEntry(text, 0, moved(0, "../beside/gone.txt", "x.txt", laid.stampOf(x)));
               },
               2, 1},
        Damage{"EntryNumberGivenTwice", true,
               [](const std::string& text, const Laid&) {
                   auto lines = linesOf(text);
                   for (auto& l : lines)
                       if (ofEntry(l, 1))
                           l.replace(l.find('\t'), 3, "\t0\t");
                   return joined(lines);
               },
               1, 1},
        Damage{"CycleAsTheRunLeftIt", true, [](const std::string& text, const Laid&) { return text; }, 3, 0,
               true},
        // The file the cycle parked under its temporary name is said to
        // leave from another entry's new name: a step no run could have
        // made. Neither of the two entries can be trusted, and the third
        // cannot go back while the second holds its old name.
        Damage{"CycleStepFromAnotherName", true,
               [](const std::string& text, const Laid&) {
                   auto lines = linesOf(text);
                   const auto tmp = std::find_if(lines.begin(), lines.end(),
                                                 [](const std::string& l) { return l.starts_with("temporary"); });
                   const std::string name = tmp->substr(tmp->rfind('\t') + 1, tmp->size() - tmp->rfind('\t') - 2);
                   for (auto it = tmp + 1; it != lines.end(); ++it)
                       if (const size_t at = it->find("\t" + name + "\t"); it->starts_with("intent") && at != std::string::npos)
                           return joined(lines).replace(joined(lines).find(*it), it->size(),
                                                        std::string(*it).replace(at + 1, name.size(), "c.txt"));
                   return std::string();
               },
               0, 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
