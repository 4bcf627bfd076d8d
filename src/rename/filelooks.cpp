#include "rename/filelooks.h"

#include "platform/fileops.h"
#include "platform/syscalls.h"

#include <new>
#include <utility>

namespace renaming {

namespace {

// Fewer names than this are looked at faster than a thread starts.
constexpr size_t kManyNames = 2048;

// Whether a thread beside the calling one helps with `n` names.
bool lookBeside(size_t n)
{
    return n >= kManyNames && platform::systemCallsInForce() && std::thread::hardware_concurrency() > 1;
}

}  // namespace

FileLook lookAt(int dir, const std::string& name)
{
    FileLook l;
    l.kind = platform::nameKind(dir, name, &l.id);
    return l;
}

NameState stateOf(const FileLook& l, bool& isReadOnly)
{
    isReadOnly = l.kind == platform::NameKind::regular && platform::isReadOnlyMode(l.id.mode);
    return l.kind == platform::NameKind::missing   ? NameState::missing
           : l.kind == platform::NameKind::regular ? NameState::regular
                                                   : NameState::other;
}

LookAhead::LookAhead(int dir, const std::vector<std::string>& names) : dir_(dir), names_(names)
{
    if (!lookBeside(names.size()))
        return;
    ring_.resize(kAhead);
    taken_ = std::make_unique<std::atomic<int>[]>(kAhead);
    thread_ = std::thread([this] { work(); });
}

LookAhead::~LookAhead()
{
    if (!thread_.joinable())
        return;
    quit_.store(true);
    asked_.store(static_cast<int>(names_.size()));
    asked_.notify_all();
    thread_.join();
}

void LookAhead::work()
{
    const int n = static_cast<int>(names_.size());
    for (int k = 0; k < n && !quit_.load(std::memory_order_relaxed); ++k) {
        int asked = asked_.load(std::memory_order_acquire);
        // The run has passed it: on to the name it asks next.
        if (asked > k) {
            k = asked - 1;
            continue;
        }
        // Its room is free once the run has asked for the name before it.
        while (k >= asked + kAhead) {
            asked_.wait(asked);
            asked = asked_.load(std::memory_order_acquire);
        }
        const auto room = static_cast<size_t>(k % kAhead);
        ring_[room] = lookAt(dir_, names_[static_cast<size_t>(k)]);
        taken_[room].store(k + 1, std::memory_order_release);
    }
}

bool LookAhead::take(size_t i, FileLook& out)
{
    if (!thread_.joinable() || static_cast<int>(i) < asked_.load(std::memory_order_relaxed))
        return false;
    const auto room = i % kAhead;
    const bool have = taken_[room].load(std::memory_order_acquire) == static_cast<int>(i) + 1;
    if (have)
        out = ring_[room];
    const int asked = static_cast<int>(i) + 1;
    asked_.store(asked, std::memory_order_release);
    // The thread waits for room by halves of the ring, not for each name.
    if (asked % (kAhead / 2) == 0)
        asked_.notify_one();
    return have;
}

EarlyLooks::EarlyLooks(int dir, const std::vector<std::string>& names, std::function<void()> first)
    : dir_(dir), names_(names), looks_(std::allocator<FileLook>().allocate(names.size()), Free{names.size()}),
      state_(std::make_unique<std::atomic<unsigned char>[]>(names.size()))
{
    if (!lookBeside(names.size())) {
        if (first)
            first();
        firstDone_.store(true);
        return;
    }
    thread_ = std::thread([this, first = std::move(first)] {
        try {
            if (first)
                first();
        } catch (...) {
            firstError_ = std::current_exception();  // for awaitFirst()'s caller
        }
        firstDone_.store(true, std::memory_order_release);
        firstDone_.notify_all();
        work();
    });
}

EarlyLooks::~EarlyLooks()
{
    if (!thread_.joinable())
        return;
    quit_.store(true);
    thread_.join();
}

void EarlyLooks::follow(std::vector<int> order)
{
    if (!thread_.joinable() || ordered_.load())
        return;
    order_ = std::move(order);
    ordered_.store(true, std::memory_order_release);
}

bool EarlyLooks::lookOn(size_t i)
{
    unsigned char s = kFree;
    if (!state_[i].compare_exchange_strong(s, kLooking, std::memory_order_acquire))
        return s == kLooked;
    new (&looks_[i]) FileLook(lookAt(dir_, names_[i]));
    state_[i].store(kLooked, std::memory_order_release);
    return true;
}

void EarlyLooks::work()
{
    const size_t n = names_.size();
    // The entries' order, while the run has none to tell.
    size_t k = 0;
    for (; k < n && !ordered_.load(std::memory_order_acquire); ++k) {
        if (quit_.load(std::memory_order_relaxed))
            return;
        lookOn(k);
    }
    if (!ordered_.load(std::memory_order_acquire))
        return;
    for (const int i : order_) {
        if (quit_.load(std::memory_order_relaxed))
            return;
        lookOn(static_cast<size_t>(i));
    }
}

void EarlyLooks::awaitFirst()
{
    firstDone_.wait(false, std::memory_order_acquire);
    if (firstError_)
        std::rethrow_exception(std::exchange(firstError_, nullptr));
}

const FileLook& EarlyLooks::take(size_t i)
{
    // Where the thread is on it: one call's wait.
    while (!lookOn(i))
        std::this_thread::yield();
    return looks_[i];
}

}  // namespace renaming
