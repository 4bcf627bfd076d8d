#include "platform/appendfile.h"

#include "platform/fdio.h"
#include "platform/syscalls.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// Room is taken, and the file viewed, this much at a time: some thousands
// of records between two system calls.
constexpr size_t kStep = size_t{1} << 20;
// Pages of the view are made ready for writing this much ahead of the
// records, in one call instead of a page fault each.
constexpr uint64_t kAhead = uint64_t{64} << 10;

uint64_t pageSize()
{
    static const uint64_t size = [] {
        const long p = ::sysconf(_SC_PAGESIZE);
        return p > 0 ? static_cast<uint64_t>(p) : uint64_t{4096};
    }();
    return size;
}

}  // namespace

AppendFile::AppendFile(UniqueFd fd) : fd_(std::move(fd))
{
    struct stat st{};
    if (!fd_ || sys().fstat(fd_.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        plain_ = true;  // O_APPEND still puts every write at the end
        return;
    }
    length_ = reserved_ = static_cast<uint64_t>(st.st_size);
}

AppendFile::AppendFile(AppendFile&& other) noexcept
    : fd_(std::move(other.fd_)), length_(other.length_), view_(other.view_), viewAt_(other.viewAt_),
      viewLen_(other.viewLen_), reserved_(other.reserved_), ready_(other.ready_), plain_(other.plain_),
      populate_(other.populate_)
{
    other.reset();
}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept
{
    if (this != &other) {
        finish();
        fd_ = std::move(other.fd_);
        length_ = other.length_;
        view_ = other.view_;
        viewAt_ = other.viewAt_;
        viewLen_ = other.viewLen_;
        reserved_ = other.reserved_;
        ready_ = other.ready_;
        plain_ = other.plain_;
        populate_ = other.populate_;
        other.reset();
    }
    return *this;
}

void AppendFile::reset() noexcept
{
    view_ = nullptr;
    viewAt_ = viewLen_ = 0;
    length_ = reserved_ = ready_ = 0;
    plain_ = false;
    populate_ = true;
}

bool AppendFile::append(std::string_view bytes)
{
    if (!fd_) {
        errno = EBADF;
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        if (!plain_ && (!view_ || length_ >= viewAt_ + viewLen_) && !nextView() && !plain_)
            return false;
        if (plain_) {
            if (!writeAll(fd_.get(), bytes.substr(done)))
                return false;
            length_ += bytes.size() - done;
            return true;
        }
        const size_t at = static_cast<size_t>(length_ - viewAt_);
        const size_t take = std::min(viewLen_ - at, bytes.size() - done);
        if (length_ + take > ready_)
            makeReady(length_ + take);
        if (done + take < bytes.size()) {
            std::memcpy(view_ + at, bytes.data() + done, take);
        } else {
            // The last byte after all the others, even to a reader that
            // looks at the file while the program is killed.
            std::memcpy(view_ + at, bytes.data() + done, take - 1);
            std::atomic_signal_fence(std::memory_order_seq_cst);
            view_[at + take - 1] = bytes.back();
        }
        done += take;
        length_ += take;
    }
    return true;
}

// A view of the file from the page that holds its end on, with room taken
// for it first: a store into a view of room the file system has not given
// would kill the program when the disk is full. False when there is no view;
// then either records go by plain writes from now on, or (the room taken
// could not be given back) nothing more can be appended.
bool AppendFile::nextView()
{
    if (view_) {
        sys().munmap(view_, viewLen_);
        view_ = nullptr;
    }
    const uint64_t at = length_ / pageSize() * pageSize();
    if (at + kStep > reserved_) {
        if (sys().fallocate(fd_.get(), 0, static_cast<off_t>(at), static_cast<off_t>(kStep)) != 0)
            return toPlainWrites();
        reserved_ = at + kStep;
    }
    void* const p = sys().mmap(kStep, PROT_READ | PROT_WRITE, MAP_SHARED, fd_.get(), static_cast<off_t>(at));
    if (!p)
        return toPlainWrites();
    view_ = static_cast<char*>(p);
    viewAt_ = ready_ = at;
    viewLen_ = kStep;
    return true;
}

void AppendFile::makeReady(uint64_t end)
{
    const uint64_t viewEnd = viewAt_ + viewLen_;
    const uint64_t to = std::min(viewEnd, (end + kAhead - 1) / kAhead * kAhead);
#ifdef MADV_POPULATE_WRITE
    // Only a saving: where the kernel cannot (before Linux 5.14), the pages
    // fault in one by one as they are written.
    if (populate_ && ::madvise(view_ + (ready_ - viewAt_), to - ready_, MADV_POPULATE_WRITE) != 0)
        populate_ = false;
#endif
    ready_ = to;
}

bool AppendFile::toPlainWrites()
{
    const int e = errno;
    if (reserved_ > length_) {
        // Plain writes go to the file's end, which must be the records' end.
        if (sys().ftruncate(fd_.get(), static_cast<off_t>(length_)) != 0)
            return false;
        reserved_ = length_;
    }
    plain_ = true;
    errno = e;
    return false;
}

bool AppendFile::sync()
{
    if (!fd_) {
        errno = EBADF;
        return false;
    }
    // The disk gets the pages stored through the view with the rest.
    return sys().fdatasync(fd_.get()) == 0;
}

bool AppendFile::finish()
{
    if (view_) {
        sys().munmap(view_, viewLen_);
        view_ = nullptr;
    }
    if (!fd_ || plain_)
        return true;
    if (reserved_ > length_) {
        if (sys().ftruncate(fd_.get(), static_cast<off_t>(length_)) != 0)
            return false;
        reserved_ = length_;
    }
    plain_ = true;
    return true;
}

}  // namespace platform
