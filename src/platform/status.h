// How a platform call that can fail says how it went: ok, or the errno
// value of the failure, for the caller to act on or to hand to the message
// code (ioErrorMessage). A failure always carries a nonzero value. A call
// that gives a value on success returns a Result: the value, or the Status
// of the failure.
#pragma once

#include <cerrno>
#include <utility>

namespace platform {

class Status {
public:
    // Ok.
    constexpr Status() = default;

    // A failure with errno value `e`; EIO where the call left none.
    static constexpr Status failure(int e) { return Status(e != 0 ? e : EIO); }
    // A failure with the errno the last system call left.
    static Status lastError() { return failure(errno); }
    // A failure because this file system cannot do the call at all (no
    // rename without replacing, no links): nothing changed, and a caller
    // that has another way (a copy) may take it. `e` is the system's own
    // refusal.
    static constexpr Status notPossible(int e)
    {
        Status s = failure(e);
        s.notPossible_ = true;
        return s;
    }

    constexpr bool ok() const { return error_ == 0; }
    constexpr explicit operator bool() const { return ok(); }
    // The errno value; 0 when ok.
    constexpr int error() const { return error_; }
    // True for a failure made by notPossible().
    constexpr bool notPossible() const { return notPossible_; }

    constexpr bool operator==(const Status&) const = default;

private:
    constexpr explicit Status(int e) : error_(e) {}
    int error_ = 0;
    bool notPossible_ = false;
};

// A value of type T, or the failure that kept the call from giving one.
// A failure holds T's empty value (T{}: no folder, no file), so a caller
// that has no use for the errno can take the value either way.
template <class T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}
    // A failure; an ok Status given here counts as EIO, as no value came.
    Result(Status failure) : status_(failure.ok() ? Status::failure(EIO) : failure) {}

    bool ok() const { return status_.ok(); }
    explicit operator bool() const { return ok(); }
    const Status& status() const { return status_; }
    // The errno value; 0 when ok.
    int error() const { return status_.error(); }

    T& value() & { return value_; }
    const T& value() const& { return value_; }
    T&& value() && { return std::move(value_); }
    T& operator*() & { return value_; }
    const T& operator*() const& { return value_; }
    T&& operator*() && { return std::move(value_); }
    T* operator->() { return &value_; }
    const T* operator->() const { return &value_; }

private:
    Status status_;
    T value_{};
};

}  // namespace platform
