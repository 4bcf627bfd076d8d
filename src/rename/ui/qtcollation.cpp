#include "rename/ui/qtcollation.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QString>

#include <algorithm>
#include <numeric>

namespace renaming {

namespace {
class QtCollation final : public Collation {
public:
    explicit QtCollation(const QLocale& locale) : collator_(locale)
    {
        collator_.setCaseSensitivity(Qt::CaseInsensitive);
        collator_.setNumericMode(false);
    }

    void sort(std::vector<std::string>& names) const override
    {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(names.size());
        for (const auto& n : names)
            keys.push_back(collator_.sortKey(
                QString::fromLocal8Bit(n.data(), static_cast<qsizetype>(n.size()))));
        std::vector<uint32_t> order(names.size());
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            const int c = keys[a].compare(keys[b]);
            return c != 0 ? c < 0 : names[a] < names[b];
        });
        applyOrder(names, order);
    }

private:
    QCollator collator_;
};
}  // namespace

std::shared_ptr<const Collation> qtCollation(const QLocale& locale)
{
    return std::make_shared<QtCollation>(locale);
}

}  // namespace renaming
