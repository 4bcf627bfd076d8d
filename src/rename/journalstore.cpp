#include "rename/journalstore.h"

#include "platform/exepath.h"
#include "platform/fdio.h"
#include "platform/fs.h"
#include "platform/makefolder.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <unistd.h>

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

// Up to `limit` bytes of the file at `path`.
std::optional<std::string> readHead(const std::string& path, size_t limit)
{
    auto& s = platform::sys();
    platform::UniqueFd fd(s.openat(AT_FDCWD, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd)
        return std::nullopt;
    std::string text;
    if (limit == 0) {
        if (!platform::readAll(fd.get(), text))
            return std::nullopt;
        return text;
    }
    text.resize(limit);
    size_t got = 0;
    while (got < limit) {
        const ssize_t n = s.read(fd.get(), text.data() + got, limit - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    text.resize(got);
    return text;
}

}  // namespace

std::string stateFolder()
{
    const std::string state = platform::userStateHome();
    return state.empty() ? state : state + "/tsumugi";
}

JournalWriter create(int* err)
{
    const std::string folder = stateFolder();
    if (folder.empty()) {
        fail(err, ENOENT);
        return {};
    }
    int e = 0;
    if (!platform::makeFolders(folder, &e)) {
        fail(err, e);
        return {};
    }
    const auto names = journalNames(folder);
    for (size_t i = 0; i + (kKept - 1) < names.size(); ++i)
        platform::sys().unlinkat(AT_FDCWD, (folder + "/" + names[i]).c_str(), 0);

    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    for (int attempt = 0;; ++attempt) {
        char name[96];
        std::snprintf(name, sizeof name, "run-%020lld-%ld-%d.journal", static_cast<long long>(ns),
                      static_cast<long>(::getpid()), attempt);
        const std::string path = folder + "/" + name;
        const int fd = platform::sys().openat(
            AT_FDCWD, path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW,
            0600);
        if (fd >= 0)
            return JournalWriter(platform::UniqueFd(fd), path);
        if (errno != EEXIST || attempt > 100) {
            fail(err, errno);
            return {};
        }
    }
}

std::optional<Found> lastRunIn(const platform::FolderHandle& folder)
{
    const std::string state = stateFolder();
    if (state.empty() || !folder)
        return std::nullopt;
    const auto names = journalNames(state);
    for (auto n = names.rbegin(); n != names.rend(); ++n) {
        const std::string path = state + "/" + *n;
        const auto head = readHead(path, kHeadBytes);
        if (!head)
            continue;
        const auto j = parseJournal(*head);
        if (!j || j->folder.device != folder.id().dev || j->folder.inode != folder.id().ino ||
            j->folder.path != folder.path())
            continue;
        const auto text = readHead(path, 0);
        auto whole = text ? parseJournal(*text) : std::nullopt;
        if (!whole)
            return std::nullopt;
        return Found{path, std::move(*whole)};
    }
    return std::nullopt;
}

bool undoable(const Journal& journal)
{
    return !journal.undone && std::any_of(journal.steps.begin(), journal.steps.end(),
                                          [](const JournalStep& s) { return s.failedErrno == 0; });
}

bool markUndone(const std::string& path, int* err)
{
    auto& s = platform::sys();
    platform::UniqueFd fd(s.openat(AT_FDCWD, path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW));
    if (!fd)
        return fail(err, errno);
    // A record cut short by a kill goes first, so that the mark is read.
    std::string text;
    if (!platform::readAll(fd.get(), text))
        return fail(err, errno);
    if (!text.empty() && text.back() != '\n') {
        const size_t keep = text.rfind('\n') + 1;  // 0 when there is no whole line
        if (s.ftruncate(fd.get(), static_cast<off_t>(keep)) != 0)
            return fail(err, errno);
    }
    if (!platform::writeAll(fd.get(), journal_text::undone()) || s.fdatasync(fd.get()) != 0)
        return fail(err, errno);
    return true;
}

}  // namespace renaming::journals
