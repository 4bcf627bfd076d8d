#include "filedialog/ui/listview.h"

#include "filedialog/ui/messages.h"

#include <QCollator>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {

// The entry's file name bytes (without extension).
constexpr int kBytesRole = Qt::UserRole + 1;

// Entries sort by text with the user's locale comparison, letter case
// ignored as in the main window's list; texts that compare equal keep a
// fixed order.
class EntryItem : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override
    {
        static const QCollator collator = [] {
            QCollator c;
            c.setNumericMode(false);
            c.setCaseSensitivity(Qt::CaseInsensitive);
            return c;
        }();
        const int c = collator.compare(text(), other.text());
        return c != 0 ? c < 0 : text() < other.text();
    }
};
}  // namespace

namespace nx {

// Asks the list before an editor opens, and keeps the text the list itself
// writes (the window decides what the entry ends up reading).
class EntryDelegate : public QStyledItemDelegate {
public:
    explicit EntryDelegate(ListView* view) : QStyledItemDelegate(view), view_(view) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        if (view_->editor_)
            return nullptr;
        bool allow = true;
        if (view_->onEditing)
            view_->onEditing(index.row(), allow);
        if (!allow)
            return nullptr;
        QWidget* e = QStyledItemDelegate::createEditor(parent, option, index);
        e->setAccessibleName(QString::fromUtf8(nx::msg::kAccessibleFileName));
        view_->editor_ = e;
        view_->editRow_ = index.row();
        view_->committed_ = false;
        return e;
    }

    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

private:
    ListView* view_;
};

ListView::ListView(QWidget* parent) : QTableWidget(0, 1, parent)
{
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    verticalHeader()->hide();
    setShowGrid(true);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setIconSize(QSize(16, 16));
    setItemDelegate(new EntryDelegate(this));
    // The selection stays visible while the list has no focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
}

void ListView::editEntry(int row)
{
    if (QTableWidgetItem* it = item(row, 0)) {
        setFocus();
        editItem(it);
    }
}

void ListView::sortByText()
{
    horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    setSortingEnabled(true);
}

QTableWidgetItem* ListView::makeEntry(const QString& text, const std::string& bytes)
{
    auto* item = new EntryItem(text);
    setEntryBytes(item, bytes);
    return item;
}

void ListView::setEntryBytes(QTableWidgetItem* entry, const std::string& bytes)
{
    entry->setData(kBytesRole, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string ListView::entryBytes(int row) const
{
    const QTableWidgetItem* it = item(row, 0);
    if (!it)
        return {};
    const QByteArray b = it->data(kBytesRole).toByteArray();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

void ListView::commitData(QWidget* editor)
{
    if (editor != editor_)
        return;
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        committed_ = true;
        committedText_ = line->text();
    }
}

void ListView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (editor != editor_) {
        QTableWidget::closeEditor(editor, hint);
        return;
    }
    // The edit is over before the window handles it: a message box shown
    // then cannot commit it a second time.
    const int row = editRow_;
    const bool committed = committed_ && hint != QAbstractItemDelegate::RevertModelCache;
    const QString text = committedText_;
    editor_ = nullptr;
    editRow_ = -1;
    committed_ = false;
    QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (committed) {
        if (onEdited)
            onEdited(row, text);
    } else if (onEditAbandoned) {
        onEditAbandoned();
    }
}

void ListView::mouseDoubleClickEvent(QMouseEvent* e)
{
    QTableWidget::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton && onDoubleClick)
        onDoubleClick();
}

}  // namespace nx
