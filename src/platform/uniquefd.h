// An open file descriptor with one owner. It is closed through the Sys in
// force when its owner lets go of it, and the close never changes errno, so
// that a failure path can give up its descriptors and still report why it
// failed.
#pragma once

#include "platform/status.h"

namespace platform {

class UniqueFd {
public:
    UniqueFd() noexcept = default;
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }
    explicit operator bool() const noexcept { return valid(); }

    // Gives the descriptor up without closing it.
    int release() noexcept
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

    // Closes the descriptor held, if any (errno kept), and holds `fd`.
    void reset(int fd = -1) noexcept;

    // Closes now and reports the close's own failure, for a file whose
    // last write may be refused only there. The descriptor is gone either
    // way, as on Linux.
    Status close() noexcept;

private:
    int fd_ = -1;
};

}  // namespace platform
