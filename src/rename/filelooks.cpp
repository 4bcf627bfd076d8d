#include "rename/filelooks.h"

#include "platform/fileops.h"
#include "platform/syscalls.h"

#include <algorithm>

namespace renaming {

namespace {

// Fewer names than this are looked at faster than a thread starts.
constexpr size_t kManyNames = 2048;

// The threads beside the calling one that help with `n` names.
size_t otherThreads(size_t n, size_t most)
{
    if (n < kManyNames || !platform::systemCallsInForce())
        return 0;
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    return std::min({cores, most, 1 + n / kManyNames}) - 1;
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

std::vector<FileLook> lookAtAll(int dir, const std::vector<std::string>& names)
{
    const size_t n = names.size();
    std::vector<FileLook> looks(n);
    // In slices, each to the thread free first.
    std::atomic<size_t> next{0};
    auto work = [&] {
        constexpr size_t kSlice = 256;
        for (size_t from; (from = next.fetch_add(kSlice)) < n;)
            for (size_t i = from; i < std::min(n, from + kSlice); ++i)
                looks[i] = lookAt(dir, names[i]);
    };
    std::vector<std::thread> others;
    for (size_t t = otherThreads(n, 4); t > 0; --t)
        others.emplace_back(work);
    work();
    for (std::thread& t : others)
        t.join();
    return looks;
}

LookAhead::LookAhead(int dir, const std::vector<std::string>& names) : LookAhead(dir, names, {}, false) {}

LookAhead::LookAhead(int dir, const std::vector<std::string>& names, std::vector<int> order)
    : LookAhead(dir, names, std::move(order), true)
{
}

LookAhead::LookAhead(int dir, const std::vector<std::string>& names, std::vector<int> order, bool ordered)
    : dir_(dir), names_(names), order_(std::move(order)), ordered_(ordered)
{
    if (otherThreads(count(), 2) == 0)
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
    asked_.store(static_cast<int>(count()));
    asked_.notify_all();
    thread_.join();
}

void LookAhead::work()
{
    const int n = static_cast<int>(count());
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
        ring_[room] = lookAt(dir_, names_[static_cast<size_t>(ordered_ ? order_[static_cast<size_t>(k)] : k)]);
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

}  // namespace renaming
