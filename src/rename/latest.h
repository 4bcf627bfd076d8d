// The latest value of something one thread changes and another looks at now
// and then: the reader takes a copy of the value as it is, never a queue of
// what it was. A job publishes where it is through one of these, and the
// window polls it at its own pace.
#pragma once

#include <mutex>

namespace renaming {

template <class T>
class Latest {
public:
    // Changes the value in place, under the lock.
    template <class F>
    void update(F&& change)
    {
        std::lock_guard lock(m_);
        change(value_);
    }
    T get() const
    {
        std::lock_guard lock(m_);
        return value_;
    }

private:
    mutable std::mutex m_;
    T value_{};
};

}  // namespace renaming
