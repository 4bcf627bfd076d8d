// The rename run as the tests make it: a request on a folder, described in
// a few fields, run with the steps it reports kept; and the same request
// as a job's.
#pragma once

#include "platform/folder.h"
#include "rename/folderondisk.h"
#include "rename/job.h"
#include "rename/renamerun.h"
#include "rename/undo.h"
#include "support/journalled.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct RunSpec {
    // The folder's path; the process's current folder when empty.
    std::string folder;
    std::vector<std::string> entries;
    std::vector<std::string> lines;
    renaming::NameRule rule = renaming::NameRule::replace;
    bool deleteOld = false;
    bool swap = false;
    platform::CodePage cp = platform::CodePage::utf8;
    renaming::JournalWriter* journal = nullptr;
};

inline platform::FolderHandle folderOf(const std::string& path)
{
    return path.empty() ? platform::FolderHandle::current().value() : platform::FolderHandle::open(path).value();
}

inline renaming::RunRequest requestFor(const RunSpec& s)
{
    renaming::RunRequest rq;
    rq.folder = folderOf(s.folder);
    rq.entries = s.entries;
    rq.lines = s.lines;
    rq.rule = s.rule;
    rq.cp = s.cp;
    rq.deleteOld = s.deleteOld;
    rq.swap = s.swap;
    rq.journal = s.journal;
    return rq;
}

inline renaming::RenameRequest jobRequestFor(const RunSpec& s)
{
    renaming::RenameRequest rq;
    rq.folder = folderOf(s.folder);
    rq.entries = s.entries;
    rq.lines = s.lines;
    rq.rule = s.rule;
    rq.cp = s.cp;
    rq.deleteOld = s.deleteOld;
    rq.swap = s.swap;
    return rq;
}

// What a run did: its counts and each step it reported, in order.
struct Ran {
    renaming::RunCounts counts;
    std::vector<std::pair<renaming::RunStep, std::string>> steps;

    // The status texts of the steps.
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& [step, name] : steps)
            out.push_back(renaming::stepText(step, name));
        return out;
    }
};

// Runs `rq` and keeps what it reports; a report function of its own is
// still called.
inline Ran runKept(renaming::RunRequest rq)
{
    Ran r;
    auto own = std::move(rq.onStep);
    rq.onStep = [&](renaming::RunStep s, const std::string& name) {
        r.steps.emplace_back(s, name);
        if (own)
            own(s, name);
    };
    r.counts = renaming::runRename(rq);
    return r;
}

inline Ran runKept(const RunSpec& s) { return runKept(requestFor(s)); }

// Runs `rq` with a new journal at `path`, and reads the journal back as the
// next start reads it.
inline std::pair<Ran, std::optional<renaming::Journal>> runJournalled(renaming::RunRequest rq,
                                                                      const std::string& path)
{
    renaming::JournalWriter journal = journalAt(path);
    EXPECT_TRUE(journal.valid()) << path;
    rq.journal = &journal;
    Ran r = runKept(std::move(rq));
    journal = renaming::JournalWriter();
    return {std::move(r), readJournal(path)};
}

// Undo of `journal` in the folder at `path`.
inline renaming::UndoReport undoIn(const std::string& path, const renaming::Journal& journal,
                                   const renaming::UndoWatch& watch = {})
{
    const auto folder = platform::FolderHandle::open(path).value();
    renaming::UndoOnDisk disk(folder.fd());
    return renaming::undoRun(journal, disk, watch);
}

}  // namespace testing_support
