// Names to numbers, for a set of names whose count is known before the
// first is added, as a plan's maps of thousands of names are: one array of
// slots probed in turn, no allocation per name, and no copy of a name
// either: the number a name is added with tells where the name is
// (`keyOf`). A run's memory is touched fresh, and a page touched costs as
// much as some hundreds of lookups.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace renaming {

class NameMap {
public:
    using KeyOf = std::function<std::string_view(int value)>;

    // Room for `most` names; more make it grow.
    NameMap(size_t most, KeyOf keyOf) : keyOf_(std::move(keyOf))
    {
        size_t slots = 16;
        while (3 * slots < 4 * most)
            slots *= 2;
        slots_.resize(slots);
    }

    // `name`, which keyOf(value) gives back, with `value` (0 or more),
    // unless it is there already: the value it has.
    int emplace(std::string_view name, int value)
    {
        const uint64_t h = hash(name);
        const size_t at = slotOf(name, h);
        if (slots_[at].plus1 != 0)
            return slots_[at].plus1 - 1;
        slots_[at] = {static_cast<uint32_t>(h >> 32), value + 1};
        if (4 * ++count_ > 3 * slots_.size())
            grow();
        return value;
    }
    // The value of `name`, -1 when it was never added.
    int find(std::string_view name) const { return slots_[slotOf(name, hash(name))].plus1 - 1; }

private:
    struct Slot {
        uint32_t tag = 0;   // the hash's high half
        int32_t plus1 = 0;  // the value plus one; 0 for a free slot
    };
    static uint64_t hash(std::string_view name) { return std::hash<std::string_view>{}(name); }
    // The slot that holds `name`, or the free one where it would go.
    size_t slotOf(std::string_view name, uint64_t h) const
    {
        const size_t mask = slots_.size() - 1;
        size_t at = h & mask;
        for (; slots_[at].plus1 != 0; at = (at + 1) & mask)
            if (slots_[at].tag == static_cast<uint32_t>(h >> 32) && keyOf_(slots_[at].plus1 - 1) == name)
                break;
        return at;
    }
    void grow()
    {
        std::vector<Slot> old(2 * slots_.size());
        old.swap(slots_);
        for (const Slot& s : old)
            if (s.plus1 != 0)
                slots_[slotOf(keyOf_(s.plus1 - 1), hash(keyOf_(s.plus1 - 1)))] = s;
    }

    KeyOf keyOf_;
    std::vector<Slot> slots_;  // a power of two of them, at most three quarters taken
    size_t count_ = 0;
};

}  // namespace renaming
