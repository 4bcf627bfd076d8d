#include "lines/ui/convertdialog.h"

#include "lines/ui/messages.h"
#include "widgets/named.h"
#include "widgets/text.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace lines::ui {

using widgets::fromUtf8;
using widgets::named;

TConvertDialog::TConvertDialog(MemoSnapshot memo, QWidget* owner)
    : TLinesDialog(msg::kConvertCaption, std::move(memo), owner)
{
    setObjectName(QStringLiteral("ConvertDialog"));
    ConvertGroup = named(new QGroupBox(fromUtf8(msg::kConvertGroup), this), "ConvertGroup");
    auto* grid = new QGridLayout(ConvertGroup);
    auto* group = new QButtonGroup(this);
    // Two columns: the case and width conversions, then the kana and the rest.
    constexpr int kRows = (kConversions + 1) / 2;
    for (int i = 0; i < kConversions; ++i) {
        auto* b = new QRadioButton(fromUtf8(msg::kConversions[i]), ConvertGroup);
        b->setObjectName(QStringLiteral("Conversion%1").arg(i));
        group->addButton(b, i);
        grid->addWidget(b, i % kRows, i / kRows);
        Choices.push_back(b);
    }
    Choices.front()->setChecked(true);
    body()->addWidget(ConvertGroup);
    connect(group, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            settingsChanged();
    });
    Choices.front()->setFocus();
    resize(720, 600);
    settingsChanged();
}

Conversion TConvertDialog::conversion() const
{
    for (size_t i = 0; i < Choices.size(); ++i)
        if (Choices[i]->isChecked())
            return static_cast<Conversion>(i);
    return Conversion::upper;
}

TLinesDialog::Work TConvertDialog::prepare()
{
    auto converter = std::make_shared<Converter>(conversion());
    Work w;
    w.run = [converter](const std::vector<Text>& lines, LineRange range, const CancelFlag& cancel) {
        return converter->run(lines, range, &cancel);
    };
    return w;
}

}  // namespace lines::ui
