#include "rename/journalstore.h"

#include "platform/exepath.h"
#include "platform/fs.h"
#include "platform/makefolder.h"
#include "platform/textfile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

namespace renaming::journals {

namespace {

constexpr std::string_view kPrefix = "run-";
constexpr std::string_view kSuffix = ".journal";
// Enough of a journal's start for its folder and start records.
constexpr size_t kHeadBytes = 64 * 1024;

bool isJournalName(std::string_view n)
{
    return n.size() > kPrefix.size() + kSuffix.size() && n.substr(0, kPrefix.size()) == kPrefix &&
           n.substr(n.size() - kSuffix.size()) == kSuffix;
}

// The journals' names, oldest first.
std::vector<std::string> journalNames(const std::string& folder)
{
    std::vector<std::string> names;
    platform::listPlainFiles(folder, [&](const char* name, size_t len) {
        if (isJournalName(std::string_view(name, len)))
            names.emplace_back(name, len);
    });
    std::sort(names.begin(), names.end());
    return names;
}

bool fail(int* err, int e)
{
    if (err)
        *err = e;
    errno = e;
    return false;
}

}  // namespace

std::string stateFolder()
{
    const std::string state = platform::userStateHome();
    return state.empty() ? state : state + "/tsumugi";
}

JournalWriter create(int* err, const std::string& folder)
{
    if (folder.empty()) {
        fail(err, ENOENT);
        return {};
    }
    int e = 0;
    if (!platform::makeFolders(folder, &e)) {
        fail(err, e);
        return {};
    }
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    for (int attempt = 0;; ++attempt) {
        char name[96];
        std::snprintf(name, sizeof name, "run-%020lld-%ld-%d.journal", static_cast<long long>(ns),
                      platform::processId(), attempt);
        const std::string path = folder + "/" + name;
        int e = 0;
        platform::UniqueFd fd = platform::createLocked(path, &e);
        if (fd)
            return JournalWriter(std::move(fd), path);
        if (e != EEXIST || attempt > 100) {
            fail(err, e);
            return {};
        }
    }
}

void prune()
{
    const std::string folder = stateFolder();
    if (folder.empty())
        return;
    // A journal another copy of the program is still writing stays.
    const auto names = journalNames(folder);
    for (size_t i = 0; i + kKept < names.size(); ++i)
        platform::removeUnlocked(folder + "/" + names[i]);
}

std::optional<Found> lastRunIn(const platform::FolderHandle& folder)
{
    const std::string state = stateFolder();
    if (state.empty() || !folder)
        return std::nullopt;
    const auto names = journalNames(state);
    for (auto n = names.rbegin(); n != names.rend(); ++n) {
        const std::string path = state + "/" + *n;
        const auto head = platform::readHead(path, kHeadBytes);
        if (!head)
            continue;
        const auto j = parseJournal(*head);
        if (!j || j->folder.device != folder.id().dev || j->folder.inode != folder.id().ino ||
            j->folder.path != folder.path())
            continue;
        const auto text = platform::readHead(path);
        auto whole = text ? parseJournal(*text) : std::nullopt;
        if (!whole)
            return std::nullopt;
        return Found{path, std::move(*whole), platform::lockHeld(path)};
    }
    return std::nullopt;
}

bool undoable(const Journal& journal)
{
    return !journal.undone && std::any_of(journal.steps.begin(), journal.steps.end(),
                                          [](const JournalStep& s) { return s.failedErrno == 0; });
}

bool undoable(const Found& found) { return !found.running && undoable(found.journal); }

bool markUndone(const std::string& path, int* err)
{
    // A record cut short by a kill goes first, so that the mark is read.
    return platform::appendAfterWholeLines(path, journal_text::undone(), err);
}

}  // namespace renaming::journals
