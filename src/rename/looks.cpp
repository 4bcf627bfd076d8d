#include "rename/looks.h"

#include "platform/syscalls.h"

#include <algorithm>

namespace renaming {

Look lookNow(int dirFd, const std::string& name)
{
    Look l;
    l.kind = platform::nameKind(dirFd, name, &l.id);
    return l;
}

unsigned lookHelpers(unsigned most)
{
    if (!platform::systemCallsInForce())
        return 0;
    const unsigned cpus = std::thread::hardware_concurrency();
    return cpus > 1 ? std::min(most, cpus - 1) : 0;
}

LooksAhead::LooksAhead(int dirFd, const std::vector<std::string>& names, unsigned helpers, size_t lead)
    : dir_(dirFd), names_(names), lead_(lead)
{
    // Without a lead every look is kept; with one, as many as may be in use.
    if (lead == 0)
        looks_.resize(names.size());
    if (helpers == 0 || names.size() <= kBlock) {
        if (lead)
            looks_.resize(1);
        return;
    }
    if (lead)
        looks_.resize(std::min(names.size(), (lead / kBlock + 2) * kBlock));
    ready_ = std::make_unique<std::atomic<uint32_t>[]>(blocks());
    for (unsigned k = 0; k < helpers; ++k)
        helpers_.emplace_back([this] { help(); });
}

LooksAhead::~LooksAhead()
{
    quit_ = true;
    taken_.store(blocks() + 1);
    taken_.notify_all();
    for (std::thread& t : helpers_)
        t.join();
}

bool LooksAhead::claim(size_t& block)
{
    block = next_.load();
    while (block < blocks())
        if (next_.compare_exchange_weak(block, block + 1))
            return true;
    return false;
}

void LooksAhead::lookAt(size_t block)
{
    const size_t end = std::min(names_.size(), (block + 1) * kBlock);
    for (size_t i = block * kBlock; i < end; ++i)
        looks_[slot(i)] = lookNow(dir_, names_[i]);
    ready_[block].store(1, std::memory_order_release);
    ready_[block].notify_all();
}

void LooksAhead::help()
{
    while (!quit_) {
        // Not further ahead than the lead: a look is the folder as it was.
        const size_t next = next_.load();
        if (next >= blocks())
            return;
        if (lead_) {
            const size_t passed = taken_.load();
            if (next * kBlock >= passed * kBlock + lead_) {
                taken_.wait(passed);
                continue;
            }
        }
        size_t block = 0;
        if (!claim(block))
            return;
        lookAt(block);
    }
}

const Look& LooksAhead::take(size_t i)
{
    if (!ready_) {
        Look& l = looks_[slot(i)];
        l = lookNow(dir_, names_[i]);
        return l;
    }
    const size_t block = i / kBlock;
    if (i % kBlock == 0 && block > 0) {
        taken_.store(block);
        taken_.notify_all();
    }
    // A block no helper has come to is looked at here, with any before it
    // that is unclaimed too.
    size_t claimed = 0;
    while (next_.load() <= block && claim(claimed))
        lookAt(claimed);
    ready_[block].wait(0, std::memory_order_acquire);
    return looks_[slot(i)];
}

}  // namespace renaming
