#include "rename/collation.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace renaming {

void applyOrder(std::vector<std::string>& names, const std::vector<uint32_t>& order)
{
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (uint32_t i : order)
        sorted.push_back(std::move(names[i]));
    names.swap(sorted);
}

namespace {
class LibcCollation final : public Collation {
public:
    void sort(std::vector<std::string>& names) const override
    {
        std::vector<std::string> keys;
        keys.reserve(names.size());
        for (const auto& n : names)
            keys.push_back(key(n));
        std::vector<uint32_t> order(names.size());
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            const int c = keys[a].compare(keys[b]);
            return c != 0 ? c < 0 : names[a] < names[b];
        });
        applyOrder(names, order);
    }

private:
    static std::string key(const std::string& name)
    {
        std::string folded(name);
        for (auto& c : folded)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        std::string k(folded.size() * 4 + 16, '\0');
        size_t n = std::strxfrm(k.data(), folded.c_str(), k.size());
        if (n >= k.size()) {
            k.resize(n + 1);
            n = std::strxfrm(k.data(), folded.c_str(), k.size());
        }
        k.resize(n);
        return k;
    }
};
}  // namespace

std::shared_ptr<const Collation> libcCollation()
{
    static const auto instance = std::make_shared<LibcCollation>();
    return instance;
}

}  // namespace renaming
