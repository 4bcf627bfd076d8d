// How a platform call that can fail says how it went: ok, or the errno
// value of the failure, for the caller to act on or to hand to the message
// code (ioErrorMessage). A failure always carries a nonzero value.
#pragma once

#include <cerrno>

namespace platform {

class Status {
public:
    // Ok.
    constexpr Status() = default;

    // A failure with errno value `e`; EIO where the call left none.
    static constexpr Status failure(int e) { return Status(e != 0 ? e : EIO); }
    // A failure with the errno the last system call left.
    static Status lastError() { return failure(errno); }

    constexpr bool ok() const { return error_ == 0; }
    constexpr explicit operator bool() const { return ok(); }
    // The errno value; 0 when ok.
    constexpr int error() const { return error_; }

    constexpr bool operator==(const Status&) const = default;

private:
    constexpr explicit Status(int e) : error_(e) {}
    int error_ = 0;
};

}  // namespace platform
