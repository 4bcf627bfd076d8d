// The order of the current-names list: ascending, letter case ignored,
// following the user's locale. The list sorts by keys so that 100,000
// names cost one key each, not one collation per comparison.
#pragma once

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

// Reorders `names` by `order` (a permutation of their indices).
void applyOrder(std::vector<std::string>& names, const std::vector<uint32_t>& order);

// The C library's collation of LC_COLLATE, with ASCII letters folded first so
// that the order ignores case even in the "C" locale.
std::shared_ptr<const Collation> libcCollation();

}  // namespace renaming
