// The order of the current-names list: ascending, letter case ignored,
// following the user's locale. The list sorts by keys so that 100,000
// names cost one key each, not one collation per comparison.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include <cstdint>

namespace renaming {

class Collation {
public:
    virtual ~Collation() = default;
    // Sorts `names` ascending. Names that collate equal ("a.txt", "A.txt")
    // are ordered by their bytes, so the pairing with typed lines never
    // depends on chance.
    virtual void sort(std::vector<std::string>& names) const = 0;
};

// Sorts `names` by `keys` (one per name, compared with `cmp`, which returns
// <0, 0 or >0), names of equal keys by their bytes.
template <class Key, class Compare>
void sortByKeys(std::vector<std::string>& names, const std::vector<Key>& keys, Compare cmp)
{
    std::vector<uint32_t> order(names.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const int c = cmp(keys[a], keys[b]);
        return c != 0 ? c < 0 : names[a] < names[b];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (uint32_t i : order)
        sorted.push_back(std::move(names[i]));
    names.swap(sorted);
}

// The C library's collation of LC_COLLATE, with ASCII letters folded first so
// that the order ignores case even in the "C" locale.
std::shared_ptr<const Collation> libcCollation();

}  // namespace renaming
