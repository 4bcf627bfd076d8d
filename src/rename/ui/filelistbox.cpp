#include "rename/ui/filelistbox.h"

#include "rename/ui/rows.h"

#include "platform/error.h"
#include "widgets/text.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace renaming {

NameListModel::NameListModel(NameList& list, QObject* parent)
    : QAbstractListModel(parent), list_(list)
{
}

int NameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : list_.Count();
}

QVariant NameListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= list_.Count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        return widgets::fromBytes(list_.entries()[static_cast<size_t>(index.row())]);
    }
    return {};
}

namespace {

// Rows 16 pixels high: the background first (selection colour for the
// selected row), then the name 2 pixels in from the left, at the top. A name
// too long for the row ends in "…" and shows whole as a tool tip.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width(), kRowHeight);
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        p->fillRect(option.rect, selected ? pal.highlight() : pal.base());
        p->setPen(selected ? pal.highlightedText().color() : pal.text().color());
        p->setFont(option.font);
        const QRect r = textRect(option);
        const QString name = index.data(Qt::DisplayRole).toString();
        p->drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    QFontMetrics(option.font).elidedText(name, Qt::ElideRight, r.width()));
        if (option.state & QStyle::State_HasFocus && selected) {
            QPen pen(pal.highlightedText().color(), 1, Qt::DotLine);
            p->setPen(pen);
            p->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
    }
    bool helpEvent(QHelpEvent* e, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (e->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(e, view, option, index);
        const QString name = index.data(Qt::DisplayRole).toString();
        if (QFontMetrics(option.font).horizontalAdvance(name) > textRect(option).width())
            QToolTip::showText(e->globalPos(), name, view->viewport(), option.rect);
        else
            QToolTip::hideText();
        return true;
    }

private:
    static QRect textRect(const QStyleOptionViewItem& option)
    {
        return option.rect.adjusted(2, 0, 0, 0);
    }
};

}  // namespace

TFileListBox::TFileListBox(QWidget* parent)
    : QListView(parent), model_(new NameListModel(list_, this))
{
    setModel(model_);
    setItemDelegate(new RowDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Names too long for a row are cut short, never scrolled to.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The scroll bar counts rows, as the memo's counts lines.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setLayoutMode(QListView::SinglePass);
    // The list shows the folder the program was started in from the first;
    // a start-up folder that cannot be read simply gives an empty list.
    try {
        read([this] { list_.Reread(); });
    } catch (const platform::ToolkitError&) {
    }
}

template <class F>
void TFileListBox::read(F&& f)
{
    bool busy = false;
    list_.setBusyHook([&busy] {
        busy = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    });
    struct Restore {
        bool& busy;
        NameList& list;
        ~Restore()
        {
            list.setBusyHook(nullptr);
            if (busy)
                QApplication::restoreOverrideCursor();
        }
    } restore{busy, list_};
    model_->reset(f);
    clearSelection();
    setCurrentIndex(QModelIndex());
}

void TFileListBox::SetFolder(const std::string& path)
{
    read([&] { list_.SetFolder(path); });
}

void TFileListBox::Reread()
{
    read([&] { list_.Reread(); });
}


}  // namespace renaming
