#include "rename/journalstore.h"

#include "platform/exepath.h"
#include "platform/fs.h"
#include "platform/makefolder.h"
#include "platform/textfile.h"
#include "platform/volume.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

namespace renaming::journals {

namespace {

constexpr std::string_view kPrefix = "run-";
constexpr std::string_view kNumbered = "run-s";
constexpr std::string_view kSuffix = ".journal";
constexpr size_t kNumberDigits = 12;
constexpr size_t kTagDigits = 16;
// Enough of a journal's start for its folder and start records.
constexpr size_t kHeadBytes = 64 * 1024;
// What is read of a journal's start first: its folder and start records but
// for a folder of a very long name.
constexpr size_t kStartBytes = 4 * 1024;
// What is read from each end of a journal too large to read whole, to find
// the run to take back: some hundreds of records (and the folder record of
// a long name), in few pages, which a look that often comes is not to pay for.
constexpr size_t kEndBytes = 32 * 1024;

bool isJournalName(std::string_view n)
{
    return n.size() > kPrefix.size() + kSuffix.size() && n.substr(0, kPrefix.size()) == kPrefix &&
           n.substr(n.size() - kSuffix.size()) == kSuffix;
}

// The number a journal's name carries; 0 for a name of an earlier version.
uint64_t numberOf(std::string_view name)
{
    if (!name.starts_with(kNumbered) || name.size() < kNumbered.size() + kNumberDigits)
        return 0;
    uint64_t n = 0;
    for (const char c : name.substr(kNumbered.size(), kNumberDigits)) {
        if (c < '0' || c > '9')
            return 0;
        n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    return n;
}

// The folder tag a journal's name carries; empty for none.
std::string_view tagOf(std::string_view name)
{
    const size_t at = kNumbered.size() + kNumberDigits;
    if (numberOf(name) == 0 || name.size() != at + 1 + kTagDigits + kSuffix.size() || name[at] != '-')
        return {};
    return name.substr(at + 1, kTagDigits);
}

// The tag of a folder: a hash (64-bit FNV-1a) of what sameFolder() compares.
std::string tagOf(const JournalFolder& f)
{
    uint64_t h = 14695981039346656037ull;
    auto mix = [&h](std::string_view bytes) {
        for (const unsigned char c : bytes) {
            h ^= c;
            h *= 1099511628211ull;
        }
        h ^= 0xFF;  // a field's end, so that fields cannot run into each other
        h *= 1099511628211ull;
    };
    mix(f.path);
    mix(std::to_string(f.inode));
    mix(f.volume.empty() ? "device " + std::to_string(f.device) : f.volume);
    char out[kTagDigits + 1];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
    return out;
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

// Removes the journals of `names` (oldest first) older than the last
// kKept, except one another copy of the program is still writing.
void removeOldest(const std::string& folder, const std::vector<std::string>& names)
{
    for (size_t i = 0; i + kKept < names.size(); ++i)
        platform::removeUnlocked(folder + "/" + names[i]);
}

// A new journal in the state folder `folder`, named with the next number
// and `tag` (none when empty).
platform::Result<JournalWriter> make(const std::string& folder, const std::string& tag)
{
    if (folder.empty())
        return platform::Status::failure(ENOENT);
    if (const platform::Status made = platform::makeFolders(folder); !made)
        return made;
    const auto names = journalNames(folder);
    uint64_t number = 0;
    for (const std::string& n : names)
        number = std::max(number, numberOf(n));
    // Pruned after each run's summary; where that has not happened for many
    // runs (the program killed there, or the disk refusing), here, so that
    // the folder, read at every run, stays small.
    if (names.size() > 2 * static_cast<size_t>(kKept))
        removeOldest(folder, names);
    for (int attempt = 0;; ++attempt) {
        // Another copy of the program may take a number at the same time:
        // the name is made exclusively, and the next number tried.
        char name[96];
        std::snprintf(name, sizeof name, "run-s%0*llu%s%s.journal", static_cast<int>(kNumberDigits),
                      static_cast<unsigned long long>(++number), tag.empty() ? "" : "-", tag.c_str());
        const std::string path = folder + "/" + name;
        platform::Result<platform::UniqueFd> fd = platform::createLocked(path);
        if (fd)
            return JournalWriter(std::move(fd).value(), path);
        if (fd.error() != EEXIST || attempt > 100)
            return fd.status();
    }
}

// A journal's first lines, which name its folder and its run: enough to
// tell whose journal it is without going through its records.
std::string_view startOf(std::string_view text)
{
    size_t end = 0;
    for (int line = 0; line < 3; ++line) {
        end = text.find('\n', end);
        if (end == std::string_view::npos)
            return text;
        ++end;
    }
    return text.substr(0, end);
}

// The start of the journal at `path`: at least its first lines, read no
// further than it takes.
std::optional<std::string> readStart(const std::string& path)
{
    auto text = platform::readHead(path, kStartBytes);
    if (text && text->size() == kStartBytes && startOf(*text).size() == text->size())
        text = platform::readHead(path, kHeadBytes);
    return text;
}

// The newest journal of the folder `here`: its path, and its start
// (nothing when the journal holds nothing to read).
struct Newest {
    std::string path;
    std::optional<Journal> head;
};

std::optional<Newest> newestOf(const JournalFolder& here, const std::string& state = stateFolder())
{
    if (state.empty())
        return std::nullopt;
    const std::string tag = tagOf(here);
    const auto names = journalNames(state);
    for (auto n = names.rbegin(); n != names.rend(); ++n) {
        const std::string_view named = tagOf(*n);
        if (!named.empty() && named != tag)
            continue;
        std::string path = state + "/" + *n;
        const auto text = readStart(path);
        auto j = text ? parseJournal(startOf(*text)) : std::nullopt;
        if (j && sameFolder(j->folder, here))
            return Newest{std::move(path), std::move(j)};
        // A journal tagged with this folder that holds no run: its run
        // could not record itself, and stands before the older ones.
        if (!j && !named.empty())
            return Newest{std::move(path), std::nullopt};
    }
    return std::nullopt;
}

// What a journal's last records say of its run, read from its end: enough,
// with its start, to tell whether undo could change anything, without the
// records between.
struct EndFacts {
    bool ended = false;
    bool undone = false;
    bool superseded = false;
    bool anyToUndo = false;  // an operation recorded done, or with no answer
};

// `text` is a stretch of whole lines of the journal and, with `answered`,
// is followed by more: an intent last in it has its answer after it.
EndFacts endFacts(std::string_view text, bool answered = false)
{
    EndFacts f;
    bool intentOpen = false;  // the last line was an intent
    for (size_t pos = 0; pos < text.size();) {
        const size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos)
            break;
        const std::string_view line = text.substr(pos, nl - pos);
        pos = nl + 1;
        const std::string_view kind = line.substr(0, line.find('\t'));
        if (intentOpen && kind != "failed")
            f.anyToUndo = true;
        intentOpen = kind == "intent";
        if (kind == "done")
            f.anyToUndo = true;
        else if (kind == "end")
            f.ended = true;
        else if (kind == "undone")
            f.undone = true;
        else if (kind == "superseded")
            f.superseded = true;
    }
    f.anyToUndo = f.anyToUndo || (intentOpen && !answered);
    return f;
}

// The run of the journal at `path`, of the folder `here`, to take back:
// nothing where it is no run of that folder, is still going, or taking it
// back could change nothing.
std::optional<LastRun> peek(const std::string& path, const JournalFolder& here)
{
    const auto ends = platform::readEnds(path, kEndBytes);
    if (!ends)
        return std::nullopt;
    // Of a journal too large to read whole, only its start is parsed: the
    // records at either end are only looked through.
    const auto head = parseJournal(ends->whole ? std::string_view(ends->head) : startOf(ends->head));
    if (!head || !sameFolder(head->folder, here) || platform::lockHeld(path))
        return std::nullopt;
    if (ends->whole)
        return undoable(*head) ? std::optional<LastRun>(LastRun{path, head->ended}) : std::nullopt;
    // Whole lines only: the first of the end may be cut by where it starts,
    // the last of the start by where it ends.
    const std::string_view tail(ends->tail);
    const size_t cut = tail.find('\n');
    const EndFacts end = endFacts(cut == std::string_view::npos ? std::string_view() : tail.substr(cut + 1));
    if (end.undone || end.superseded)
        return std::nullopt;
    const std::string_view start(ends->head);
    if (!end.anyToUndo && !endFacts(start.substr(0, start.rfind('\n') + 1), true).anyToUndo) {
        // Nothing to take back at either end: the records between decide.
        const auto text = platform::readHead(path);
        const auto whole = text ? parseJournal(*text) : std::nullopt;
        if (!whole || !undoable(*whole))
            return std::nullopt;
    }
    return LastRun{path, end.ended};
}

std::optional<Found> readWhole(const std::string& path, const JournalFolder& here)
{
    const auto text = platform::readHead(path);
    auto whole = text ? parseJournal(*text) : std::nullopt;
    if (!whole || !sameFolder(whole->folder, here))
        return std::nullopt;
    return Found{path, std::move(*whole), platform::lockHeld(path)};
}

// The folder's last run can no longer be taken back: a run came after it
// that its journal does not know of. Marked so; where the mark cannot be
// written (the disk full), the folder's journals go instead, as far as
// they are not being written.
void supersedeLastRun(const platform::FolderHandle& folder, const std::string& state)
{
    const JournalFolder here = journalFolderOf(folder);
    const auto last = newestOf(here, state);
    if (!last || !last->head || platform::lockHeld(last->path))
        return;
    if (platform::appendAfterWholeLines(last->path, journal_text::superseded()))
        return;
    for (auto older = newestOf(here, state); older && platform::removeUnlocked(older->path);
         older = newestOf(here, state)) {
    }
}

}  // namespace

std::string stateFolder()
{
    const std::string state = platform::userStateHome();
    return state.empty() ? state : state + "/tsumugi";
}

JournalFolder journalFolderOf(const platform::FolderHandle& folder)
{
    return {folder.path(), folder.id().device, folder.id().inode, folder ? platform::volumeId(folder.fd()) : ""};
}

bool sameFolder(const JournalFolder& recorded, const JournalFolder& now)
{
    if (recorded.path != now.path || recorded.inode != now.inode)
        return false;
    if (!recorded.volume.empty() && !now.volume.empty())
        return recorded.volume == now.volume;
    return recorded.device == now.device;
}

platform::Result<JournalWriter> create(const platform::FolderHandle& folder, const std::string& state)
{
    platform::Result<JournalWriter> w = make(state, tagOf(journalFolderOf(folder)));
    if (!w)
        supersedeLastRun(folder, state);
    return w;
}

platform::Result<JournalWriter> create(const std::string& state) { return make(state, {}); }

void prune()
{
    const std::string folder = stateFolder();
    if (!folder.empty())
        removeOldest(folder, journalNames(folder));
}

std::optional<Found> lastRunIn(const platform::FolderHandle& folder)
{
    if (!folder)
        return std::nullopt;
    const JournalFolder here = journalFolderOf(folder);
    const auto last = newestOf(here);
    if (!last || !last->head)
        return std::nullopt;
    return readWhole(last->path, here);
}

std::optional<Found> runAt(const std::string& path, const platform::FolderHandle& folder)
{
    if (!folder || path.empty())
        return std::nullopt;
    return readWhole(path, journalFolderOf(folder));
}

std::optional<LastRun> runToUndo(const platform::FolderHandle& folder, const std::optional<std::string>& own,
                                 const std::string& state)
{
    if (!folder)
        return std::nullopt;
    const JournalFolder here = journalFolderOf(folder);
    if (own)
        return own->empty() ? std::nullopt : peek(*own, here);
    const auto last = newestOf(here, state);
    if (!last || !last->head)
        return std::nullopt;
    return peek(last->path, here);
}

bool undoable(const Journal& journal)
{
    return !journal.undone && !journal.superseded &&
           std::any_of(journal.steps.begin(), journal.steps.end(),
                       [](const JournalStep& s) { return s.failedErrno == 0; });
}

bool undoable(const Found& found) { return !found.running && undoable(found.journal); }

platform::Status markUndone(const std::string& path)
{
    // A record cut short by a kill goes first, so that the mark is read.
    return platform::appendAfterWholeLines(path, journal_text::undone());
}

}  // namespace renaming::journals
