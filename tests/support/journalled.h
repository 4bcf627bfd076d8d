// Helpers for the tests of journalled runs and their undo on real files: a
// journal file of the test's own to run with, read back as the next start
// reads it, and a folder's files with what identifies them.
#pragma once

#include "rename/folderondisk.h"
#include "rename/journal.h"
#include "rename/journalwriter.h"
#include "support/scratch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <string>

namespace testing_support {

// A new journal at `path`, opened as the journal store opens its own.
inline renaming::JournalWriter journalAt(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    return renaming::JournalWriter(platform::UniqueFd(fd), path);
}

// The journal at `path` as parseJournal reads it; nothing when it is none.
inline std::optional<renaming::Journal> readJournal(const std::string& path)
{
    if (!exists(path))
        return std::nullopt;
    return renaming::parseJournal(readFile(path));
}

struct HeldFile {
    std::string content;
    mode_t mode = 0;
    platform::FileId stamp;
    bool operator==(const HeldFile&) const = default;
};
using HeldFolder = std::map<std::string, HeldFile>;

// Every regular file of `dir` (a scratch folder holds nothing else).
inline HeldFolder held(const ScratchDir& dir)
{
    HeldFolder out;
    for (const std::string& n : dir.names()) {
        struct stat st {};
        ::lstat(dir.file(n).c_str(), &st);
        out[n] = {dir.read(n), st.st_mode,
                  {static_cast<uint64_t>(st.st_size),
                   static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                   static_cast<uint64_t>(st.st_ino)}};
    }
    return out;
}

// Names and bytes alone: what the user sees of a folder.
inline std::map<std::string, std::string> contents(const HeldFolder& f)
{
    std::map<std::string, std::string> out;
    for (const auto& [name, file] : f)
        out[name] = file.content;
    return out;
}

}  // namespace testing_support
