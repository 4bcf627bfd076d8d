#include "lines/ui/changesmodel.h"

#include "lines/ui/messages.h"

namespace lines::ui {

namespace {
QString qs(const Text& t) { return QString::fromStdU16String(t); }
}  // namespace

ChangesModel::ChangesModel(const std::vector<Text>& lines, QObject* parent)
    : QAbstractTableModel(parent), lines_(lines)
{
}

void ChangesModel::setChanges(std::vector<LineChange> changes)
{
    beginResetModel();
    changes_ = std::move(changes);
    endResetModel();
}

int ChangesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(changes_.size());
}

int ChangesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns; }

QVariant ChangesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const LineChange& c = changes_[static_cast<size_t>(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() == number)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case number: return c.line + 1;
    case current:
        return c.line >= 0 && static_cast<size_t>(c.line) < lines_.size() ? qs(lines_[static_cast<size_t>(c.line)])
                                                                          : QString();
    case changed: return qs(c.text);
    default: return {};
    }
}

QVariant ChangesModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case number: return QString::fromUtf8(msg::kNumber);
    case current: return QString::fromUtf8(msg::kCurrentLine);
    case changed: return QString::fromUtf8(msg::kNewLine);
    default: return {};
    }
}

}  // namespace lines::ui
