#include "rename/keysort.h"

#include <algorithm>
#include <cstdint>

namespace renaming {

void SortKeys::reserve(size_t names, size_t bytes)
{
    ends_.reserve(names);
    bytes_.reserve(bytes);
}

namespace {

// Sixteen bytes of a key hold most names whole, so that one pass of a
// plain sort of small items orders most of a list.
constexpr size_t kChunk = 16;

struct Item {
    uint64_t high, low;  // bytes [depth, depth + 16) of the key, big-endian, zero-padded
    uint32_t index;      // the name
    uint32_t left;       // bytes of the key from that depth, at most kChunk + 1 ("more")
};

bool chunkLess(const Item& a, const Item& b)
{
    if (a.high != b.high)
        return a.high < b.high;
    if (a.low != b.low)
        return a.low < b.low;
    return a.left < b.left;
}

bool sameChunk(const Item& a, const Item& b)
{
    return a.high == b.high && a.low == b.low && a.left == b.left;
}

class Sorter {
public:
    Sorter(const SortKeys& keys, const std::function<bool(uint32_t, uint32_t)>& tieLess)
        : keys_(keys), tieLess_(tieLess)
    {
    }

    // Sorts [begin, end), whose keys agree on their first `depth` bytes.
    void sort(Item* begin, Item* end, size_t depth)
    {
        for (Item* it = begin; it != end; ++it)
            fill(*it, depth);
        std::sort(begin, end, chunkLess);
        for (Item* group = begin; group != end;) {
            Item* next = group + 1;
            while (next != end && sameChunk(*next, *group))
                ++next;
            if (next - group > 1) {
                if (group->left > kChunk)
                    sort(group, next, depth + kChunk);
                else  // whole keys equal
                    std::sort(group, next, [this](const Item& a, const Item& b) {
                        return tieLess_(a.index, b.index);
                    });
            }
            group = next;
        }
    }

private:
    void fill(Item& it, size_t depth) const
    {
        const std::string_view key = keys_.key(it.index);
        const size_t left = key.size() > depth ? key.size() - depth : 0;
        unsigned char bytes[kChunk] = {};
        for (size_t i = 0; i < kChunk && i < left; ++i)
            bytes[i] = static_cast<unsigned char>(key[depth + i]);
        uint64_t high = 0, low = 0;
        for (size_t i = 0; i < 8; ++i) {
            high = (high << 8) | bytes[i];
            low = (low << 8) | bytes[8 + i];
        }
        it.high = high;
        it.low = low;
        // Keys equal in the chunk differ only by length when they end in
        // it: the shorter, padded with zeros, is the start of the other.
        it.left = static_cast<uint32_t>(std::min(left, kChunk + 1));
    }

    const SortKeys& keys_;
    const std::function<bool(uint32_t, uint32_t)>& tieLess_;
};

}  // namespace

std::vector<uint32_t> keyOrder(const SortKeys& keys,
                               const std::function<bool(uint32_t a, uint32_t b)>& tieLess)
{
    std::vector<Item> items(keys.size());
    for (uint32_t i = 0; i < items.size(); ++i)
        items[i].index = i;
    Sorter(keys, tieLess).sort(items.data(), items.data() + items.size(), 0);
    std::vector<uint32_t> order;
    order.reserve(items.size());
    for (const Item& it : items)
        order.push_back(it.index);
    return order;
}

void sortByKeys(std::vector<std::string>& names, const SortKeys& keys)
{
    const auto order =
        keyOrder(keys, [&names](uint32_t a, uint32_t b) { return names[a] < names[b]; });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (uint32_t i : order)
        sorted.push_back(std::move(names[i]));
    names.swap(sorted);
}

}  // namespace renaming
