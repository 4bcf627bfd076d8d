#include "platform/appendfile.h"

#include "platform/fdio.h"
#include "platform/syscalls.h"

#include <sys/stat.h>

#include <cerrno>

namespace platform {

namespace {

// Room is taken this much at a time: some thousands of records between two
// writes that change the file's size.
constexpr uint64_t kStep = uint64_t{1} << 20;

}  // namespace

AppendFile::AppendFile(UniqueFd fd, size_t held) : fd_(std::move(fd)), held_(held)
{
    struct stat st {};
    if (!fd_ || sys().fstat(fd_.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        noRoom_ = true;
        return;
    }
    length_ = reserved_ = static_cast<uint64_t>(st.st_size);
}

AppendFile::AppendFile(AppendFile&& other) noexcept
    : fd_(std::move(other.fd_)), held_(other.held_), length_(other.length_), reserved_(other.reserved_),
      noRoom_(other.noRoom_)
{
    other.reset();
}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept
{
    if (this != &other) {
        finish();
        fd_ = std::move(other.fd_);
        held_ = other.held_;
        length_ = other.length_;
        reserved_ = other.reserved_;
        noRoom_ = other.noRoom_;
        other.reset();
    }
    return *this;
}

void AppendFile::reset() noexcept
{
    length_ = reserved_ = 0;
    noRoom_ = false;
}

Status AppendFile::append(std::string_view bytes) { return write(bytes, held_); }

Status AppendFile::appendHeld(std::string_view bytes) { return write(bytes, 0); }

Status AppendFile::write(std::string_view bytes, uint64_t room)
{
    if (!fd_)
        return Status::failure(EBADF);
    // A write beyond the room a full disk gave would stop part way, and
    // leave no room for the last words.
    if (!noRoom_ && length_ + bytes.size() + room > reserved_) {
        if (const Status taken = takeRoom(length_ + bytes.size() + room); !taken)
            return taken;
    }
    if (const Status w = pwriteAll(fd_.get(), bytes, static_cast<off_t>(length_)); !w)
        return w;
    length_ += bytes.size();
    return {};
}

Status AppendFile::takeRoom(uint64_t end)
{
    const auto take = [&](uint64_t to) {
        if (sys().fallocate(fd_.get(), 0, static_cast<off_t>(reserved_), static_cast<off_t>(to - reserved_)) != 0)
            return false;
        reserved_ = to;
        return true;
    };
    if (take(end + kStep))
        return {};
    const int e = errno;
    if (e == ENOSPC || e == EDQUOT) {
        if (take(end))
            return {};
        return Status::failure(e);
    }
    // No room ahead on this file system: the zeros of the room taken before
    // go, so that the file ends with its last record; should that fail too,
    // readers stop at the zeros.
    finish();
    return {};
}

Status AppendFile::sync()
{
    if (!fd_)
        return Status::failure(EBADF);
    if (sys().fdatasync(fd_.get()) != 0)
        return Status::lastError();
    return {};
}

Status AppendFile::finish()
{
    noRoom_ = true;
    if (!fd_ || reserved_ <= length_)
        return {};
    if (sys().ftruncate(fd_.get(), static_cast<off_t>(length_)) != 0)
        return Status::lastError();
    reserved_ = length_;
    return {};
}

}  // namespace platform
