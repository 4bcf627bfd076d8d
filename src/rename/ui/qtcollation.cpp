#include "rename/ui/qtcollation.h"
#include "widgets/text.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QString>


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
                widgets::fromBytes(n)));
        sortByKeys(names, keys, [](const QCollatorSortKey& a, const QCollatorSortKey& b) {
            return a.compare(b);
        });
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
