// Sorting names by keys of bytes made for them beforehand (collation keys,
// with a modification time before them for that order). A million names
// sort in a few passes over eight bytes of their keys at a time, not by
// comparisons that each chase two keys through memory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace renaming {

// The keys of a list of names, one after another in one buffer.
class SortKeys {
public:
    void reserve(size_t names, size_t bytes);
    // The key of the next name is everything appended to `bytes()` since
    // the last call.
    std::string& bytes() { return bytes_; }
    void endKey() { ends_.push_back(bytes_.size()); }
    size_t size() const { return ends_.size(); }
    std::string_view key(size_t i) const
    {
        const size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(bytes_).substr(begin, ends_[i] - begin);
    }

private:
    std::string bytes_;
    std::vector<size_t> ends_;
};

// The positions 0 .. keys.size() - 1 ordered ascending by their keys,
// compared byte by byte with a key that is the start of another first; of
// equal keys, `a` before `b` when `tieLess(a, b)`.
std::vector<uint32_t> keyOrder(const SortKeys& keys,
                               const std::function<bool(uint32_t a, uint32_t b)>& tieLess);

// Sorts `names` by `keys` (key i is that of name i); names of equal keys by
// their own bytes, so that the order never depends on chance.
void sortByKeys(std::vector<std::string>& names, const SortKeys& keys);

}  // namespace renaming
