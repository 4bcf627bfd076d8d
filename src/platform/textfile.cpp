#include "platform/textfile.h"

#include "platform/fdio.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace platform {

namespace {

// Whether the lock of the file open as `fd` is held through another open of it.
bool heldElsewhere(int fd)
{
    if (sys().flock(fd, LOCK_SH | LOCK_NB) == 0) {
        sys().flock(fd, LOCK_UN);
        return false;
    }
    return errno == EWOULDBLOCK;
}

}  // namespace

long processId() { return static_cast<long>(::getpid()); }

Result<UniqueFd> createLocked(const std::string& path)
{
    UniqueFd fd(sys().openat(AT_FDCWD, path.c_str(),
                             O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd)
        return Status::lastError();
    // A new file: nobody else can hold its lock yet, and a file system that
    // keeps none (ENOLCK, EOPNOTSUPP) only loses the other copy's view of it.
    sys().flock(fd.get(), LOCK_EX | LOCK_NB);
    return fd;
}

bool lockHeld(const std::string& path)
{
    const UniqueFd fd(sys().openat(AT_FDCWD, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    return fd && heldElsewhere(fd.get());
}

std::optional<std::string> readHead(const std::string& path, size_t limit)
{
    const UniqueFd fd(sys().openat(AT_FDCWD, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd)
        return std::nullopt;
    std::string text;
    if (limit == 0) {
        if (!readAll(fd.get(), text))
            return std::nullopt;
        return text;
    }
    text.resize(limit);
    const Result<size_t> got = preadAll(fd.get(), text.data(), limit, 0);
    if (!got)
        return std::nullopt;
    text.resize(*got);
    return text;
}

std::optional<FileEnds> readEnds(const std::string& path, size_t limit)
{
    const UniqueFd fd(sys().openat(AT_FDCWD, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat st {};
    if (!fd || sys().fstat(fd.get(), &st) != 0)
        return std::nullopt;
    FileEnds ends;
    const auto size = static_cast<uint64_t>(st.st_size);
    ends.head.resize(static_cast<size_t>(std::min<uint64_t>(size, limit)));
    const Result<size_t> got = preadAll(fd.get(), ends.head.data(), ends.head.size(), 0);
    if (!got)
        return std::nullopt;
    ends.head.resize(*got);
    ends.whole = size <= limit;
    if (ends.whole)
        return ends;
    // Back over the zeros, a stretch at a time; a writer takes room ahead a
    // few megabytes at most.
    constexpr uint64_t kZerosAtMost = uint64_t{16} << 20;
    uint64_t end = size;
    std::string chunk;
    while (end > ends.head.size() && size - end < kZerosAtMost) {
        const uint64_t from = end - std::min<uint64_t>(end - ends.head.size(), limit);
        chunk.resize(static_cast<size_t>(end - from));
        const Result<size_t> n = preadAll(fd.get(), chunk.data(), chunk.size(), static_cast<off_t>(from));
        if (!n)
            return std::nullopt;
        chunk.resize(*n);
        const size_t last = chunk.find_last_not_of('\0');
        if (last != std::string::npos) {
            end = from + last + 1;
            break;
        }
        end = from;
    }
    ends.tailAt = end - std::min<uint64_t>(end - std::min<uint64_t>(end, ends.head.size()), limit);
    ends.tail.resize(static_cast<size_t>(end - ends.tailAt));
    const Result<size_t> n = preadAll(fd.get(), ends.tail.data(), ends.tail.size(), static_cast<off_t>(ends.tailAt));
    if (!n)
        return std::nullopt;
    ends.tail.resize(*n);
    return ends;
}

Status appendAfterWholeLines(const std::string& path, std::string_view text)
{
    auto& s = sys();
    const UniqueFd fd(s.openat(AT_FDCWD, path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW));
    if (!fd)
        return Status::lastError();
    if (heldElsewhere(fd.get()))
        return Status::failure(EBUSY);
    std::string now;
    if (const Status r = readAll(fd.get(), now); !r)
        return r;
    if (!now.empty() && now.back() != '\n') {
        const size_t keep = now.rfind('\n') + 1;  // 0 when there is no whole line
        if (s.ftruncate(fd.get(), static_cast<off_t>(keep)) != 0)
            return Status::lastError();
    }
    if (const Status w = writeAll(fd.get(), text); !w)
        return w;
    if (s.fdatasync(fd.get()) != 0)
        return Status::lastError();
    return {};
}

bool removeUnlocked(const std::string& path)
{
    return !lockHeld(path) && sys().unlinkat(AT_FDCWD, path.c_str(), 0) == 0;
}

void syncAside(const std::string& path)
{
    // A descriptor of its own: the writer's (and its lock) may go at once.
    // The real calls, not sys(): a test may swap that while this runs.
    std::thread([path] {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd >= 0) {
            ::fdatasync(fd);
            ::close(fd);
        }
        // And its name: a new file may not have had its folder synced yet.
        const int dir = ::open(path.substr(0, path.rfind('/') + 1).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }).detach();
}

}  // namespace platform
