// Sorting by keys of bytes: keys that share long beginnings, keys that are
// the start of others, zero bytes, and equal keys.
#include "rename/keysort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

TEST(KeySort, OrdersAsBytesWithTheShorterStartFirstAndTiesByName)
{
    std::mt19937 random(7);
    // Few byte values and long shared beginnings, so that keys often agree
    // over many bytes, end inside a chunk, or equal one another.
    std::vector<std::string> keys, names;
    for (int i = 0; i < 5000; ++i) {
        std::string k(std::string(random() % 3 * 8, 'p'));
        for (size_t n = random() % 24; n > 0; --n)
            k += static_cast<char>(random() % 3);
        keys.push_back(k);
        names.push_back(std::to_string(random() % 100000));
    }
    renaming::SortKeys sk;
    for (const auto& k : keys) {
        sk.bytes() += k;
        sk.endKey();
    }
    auto sorted = names;
    renaming::sortByKeys(sorted, sk);

    std::vector<size_t> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return keys[a] != keys[b] ? keys[a] < keys[b] : names[a] < names[b];
    });
    std::vector<std::string> expected;
    for (size_t i : order)
        expected.push_back(names[i]);
    EXPECT_EQ(sorted, expected);
}

}  // namespace
