// What the list shows and how it lines up with the memo: its order and the
// files it shows, chosen in the option menu and kept in the settings; the
// guard at the right of the status line that counts lines and entries; the
// list and the memo scrolled together.
#include "app/mainform.h"

#include "app/messages.h"
#include "app/runaside.h"
#include "filedialog/ui/inputbox.h"
#include "platform/error.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"
#include "rename/ui/rowlock.h"
#include "settings/values.h"
#include "widgets/guard.h"
#include "widgets/named.h"
#include "widgets/text.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>

#include <cstdio>

namespace {

using widgets::fromUtf8;
using widgets::named;

QString formatted(const char* format, int a, int b = 0)
{
    char buf[256];
    std::snprintf(buf, sizeof buf, format, a, b);
    return QString::fromUtf8(buf);
}

renaming::ListOrder orderOf(int32_t stored)
{
    switch (stored) {
    case 1:
        return renaming::ListOrder::natural;
    case 2:
        return renaming::ListOrder::modified;
    default:
        return renaming::ListOrder::name;  // what a file without the key means
    }
}

// The guard: plain text while lines and entries agree, red with a warning
// icon before it when they do not.
class GuardLabel : public QLabel {
public:
    using QLabel::QLabel;
    void setWarning(bool on)
    {
        if (on == warning_)
            return;
        warning_ = on;
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, on ? QColor(0xC0, 0x00, 0x00)
                                              : QApplication::palette(this).color(QPalette::WindowText));
        setPalette(pal);
        setContentsMargins(on ? kIcon + 4 : 0, 0, 2, 0);
        update();
    }
    bool warning() const { return warning_; }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QLabel::paintEvent(e);
        if (!warning_)
            return;
        QPainter p(this);
        style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this)
            .paint(&p, QRect(1, (height() - kIcon) / 2, kIcon, kIcon));
    }

private:
    static constexpr int kIcon = 16;
    bool warning_ = false;
};

}  // namespace

void TMainForm::buildListMenus()
{
    OptionOrderMenu = named(OptionMenu->addMenu(fromUtf8(app::msg::kOrderMenu)), "OptionOrderMenu");
    auto* group = new QActionGroup(OptionOrderMenu);
    const std::pair<QAction**, std::pair<const char*, const char*>> items[] = {
        {&OrderNameMenu, {app::msg::kOrderName, "OrderNameMenu"}},
        {&OrderNaturalMenu, {app::msg::kOrderNatural, "OrderNaturalMenu"}},
        {&OrderModifiedMenu, {app::msg::kOrderModified, "OrderModifiedMenu"}},
    };
    int order = 0;
    for (const auto& [action, text] : items) {
        *action = named(OptionOrderMenu->addAction(fromUtf8(text.first)), text.second);
        (*action)->setCheckable(true);
        group->addAction(*action);
        connect(*action, &QAction::triggered, this,
                widgets::guard([this, order] { OptionOrderMenuClick(order); }));
        ++order;
    }
    OrderNameMenu->setChecked(true);
    OptionFilterMenu = named(OptionMenu->addAction(fromUtf8(app::msg::kFilterMenu)), "OptionFilterMenu");
    // Ticked while it leaves files out, so that a short list is explained.
    OptionFilterMenu->setCheckable(true);
    connect(OptionFilterMenu, &QAction::triggered, this,
            widgets::guard([this] { OptionFilterMenuClick(); }));
    OptionOrderMenu->setFont(QApplication::font("QMenu"));
}

void TMainForm::buildListGuard()
{
    auto* guard = named(new GuardLabel(StatusBar), "LineGuard");
    guard->setTextFormat(Qt::PlainText);
    lineGuard_ = guard;
    StatusBar->addPermanentWidget(lineGuard_);
    connect(Memo2, &renaming::TMemo::textChanged, this, [this] { updateLineGuard(); });
    connect(FileListBox->model(), &QAbstractItemModel::modelReset, this, [this] { updateLineGuard(); });
    updateLineGuard();
    new renaming::RowLock(
        FileListBox->verticalScrollBar(), [this] { return FileListBox->model()->rowCount(); },
        Memo2->verticalScrollBar(), [this] { return Memo2->lineCount(); }, this);
}

void TMainForm::updateLineGuard()
{
    const int lines = Memo2->Lines.Filled(), entries = FileListBox->Count();
    QString text = formatted(app::msg::kLineGuardFormat, lines, entries);
    if (const int unshown = FileListBox->Unshown())
        text += formatted(app::msg::kLineGuardUnshownFormat, unshown);
    if (lineGuard_->text() != text)
        lineGuard_->setText(text);
    static_cast<GuardLabel*>(lineGuard_)->setWarning(lines != entries);
}

void TMainForm::applyListSettings()
{
    const settings::Values& v = settings::values();
    const renaming::ListOrder order = orderOf(v.SortOrder);
    QAction* item[] = {OrderNameMenu, OrderNaturalMenu, OrderModifiedMenu};
    item[static_cast<int>(order)]->setChecked(true);
    const renaming::NameFilter filter(v.FileMask);
    OptionFilterMenu->setChecked(!filter.showsAll());
    if (order == FileListBox->order() && filter.text() == FileListBox->filter().text())
        return;
    FileListBox->setOrder(order);
    FileListBox->setFilter(filter);
    // The list showed the start-up folder before the settings were read; a
    // folder that cannot be read leaves it empty, as it would have been.
    try {
        FileListBox->Reread();
    } catch (const platform::ToolkitError&) {
    }
}

void TMainForm::OptionOrderMenuClick(int order)
{
    // Like every handler, nothing while a run goes on its own thread.
    if (app::workingAside())
        return;
    settings::values().SortOrder = order;
    FileListBox->setOrder(orderOf(order));
    FileListBox->Reread();
}

void TMainForm::OptionFilterMenuClick()
{
    if (app::workingAside())
        return;
    settings::Values& v = settings::values();
    QString text = widgets::fromBytes(v.FileMask);
    const bool entered = nx::inputQuery(this, fromUtf8(app::msg::kFilterCaption),
                                        fromUtf8(app::msg::kFilterPrompt), text);
    if (entered) {
        v.FileMask = widgets::toBytes(text.trimmed());
        FileListBox->setFilter(renaming::NameFilter(v.FileMask));
    }
    OptionFilterMenu->setChecked(!FileListBox->filter().showsAll());
    if (entered)
        FileListBox->Reread();
}
