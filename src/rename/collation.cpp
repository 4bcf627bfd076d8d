#include "rename/collation.h"

#include <algorithm>
#include <cstring>

namespace renaming {

namespace {
class LibcCollation final : public Collation {
public:
    void sort(std::vector<std::string>& names) const override
    {
        std::vector<std::string> keys;
        keys.reserve(names.size());
        for (const auto& n : names)
            keys.push_back(key(n));
        sortByKeys(names, keys,
                   [](const std::string& a, const std::string& b) { return a.compare(b); });
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
