#include "app/radiogroup.h"

#include "widgets/guard.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent)
{
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(QStringLiteral("%1Item%2").arg(objectName()).arg(i));
        group->addButton(b, i);
        buttons_.push_back(b);
        // Of the items only the selected one is a Tab stop; the arrow keys
        // move between them.
        b->setFocusPolicy(Qt::ClickFocus);
        connect(b, &QRadioButton::toggled, b, widgets::guard([b](bool on) {
                    b->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
                }));
    }
}

int TRadioGroup::ItemIndex() const
{
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->isChecked())
            return static_cast<int>(i);
    return -1;
}

void TRadioGroup::setItemIndex(int index)
{
    if (index >= 0 && index < count())
        buttons_[static_cast<size_t>(index)]->setChecked(true);
}

QRadioButton* TRadioGroup::button(int index) const
{
    return index >= 0 && index < count() ? buttons_[static_cast<size_t>(index)] : nullptr;
}

void TRadioGroup::resizeEvent(QResizeEvent* e)
{
    QGroupBox::resizeEvent(e);
    // The items share the inner height evenly, each 8 pixels in from the left.
    const int top = QFontMetrics(font()).height() + 2;
    const int inner = height() - top - 4;
    const int n = count();
    if (n == 0)
        return;
    const int rowH = inner / n;
    for (int i = 0; i < n; ++i) {
        const int h = buttons_[static_cast<size_t>(i)]->sizeHint().height();
        buttons_[static_cast<size_t>(i)]->setGeometry(8, top + i * rowH + (rowH - h) / 2,
                                                      width() - 16, h);
    }
}
