#include "app/planmodel.h"

#include "app/messages.h"
#include "widgets/text.h"

#include <QApplication>
#include <QColor>
#include <QStyle>

#include <cstdio>

namespace app {

namespace {

QString formatted(const char* format, int n)
{
    char buf[256];
    std::snprintf(buf, sizeof buf, format, n);
    return QString::fromUtf8(buf);
}

}  // namespace

PlanModel::PlanModel(renaming::Plan plan, QObject* parent)
    : QAbstractTableModel(parent), plan_(std::move(plan))
{
    QStyle* style = QApplication::style();
    failedIcon_ = style->standardIcon(QStyle::SP_MessageBoxCritical);
    deleteFailedIcon_ = style->standardIcon(QStyle::SP_MessageBoxWarning);
    ignoredIcon_ = style->standardIcon(QStyle::SP_MessageBoxInformation);
}

PlanModel::Kind PlanModel::kindOf(renaming::Outcome o)
{
    renaming::RunCounts c;
    renaming::countInto(c, o);
    if (c.success)
        return Kind::success;
    if (c.ignored)
        return Kind::ignored;
    if (c.deleteFailed)
        return Kind::deleteFailed;
    return Kind::failed;
}

void PlanModel::setOnlyProblems(bool only)
{
    beginResetModel();
    only_ = only;
    rows_.clear();
    if (only) {
        for (size_t i = 0; i < plan_.entries.size(); ++i)
            if (kindOf(plan_.entries[i].outcome) != Kind::success)
                rows_.push_back(static_cast<int>(i));
    }
    endResetModel();
}

int PlanModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return only_ ? static_cast<int>(rows_.size()) : static_cast<int>(plan_.entries.size());
}

int PlanModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns;
}

QString PlanModel::outcomeText(const renaming::PlannedEntry& e)
{
    using renaming::Outcome;
    switch (e.outcome) {
    case Outcome::copied:
    case Outcome::moved: {
        QString s = widgets::fromUtf8(e.outcome == Outcome::copied ? msg::kOutcomeCopied
                                                                   : msg::kOutcomeMoved);
        if (e.because >= 0)
            s += formatted(msg::kOutcomeFreed, e.because + 1);
        return s;
    }
    case Outcome::oldStays:
        return widgets::fromUtf8(msg::kOutcomeOldStays);
    case Outcome::badLine:
        return widgets::fromUtf8(msg::kOutcomeBadLine);
    case Outcome::noName:
        return widgets::fromUtf8(msg::kOutcomeNoName);
    case Outcome::hiddenName:
        return widgets::fromUtf8(msg::kOutcomeHidden);
    case Outcome::unacceptable:
        return widgets::fromUtf8(msg::kOutcomeUnacceptable);
    case Outcome::oldGone:
        return widgets::fromUtf8(msg::kOutcomeOldGone);
    case Outcome::oldNotFile:
        return widgets::fromUtf8(msg::kOutcomeOldNotFile);
    case Outcome::taken:
        return widgets::fromUtf8(msg::kOutcomeTaken);
    case Outcome::takenByRun:
        return formatted(msg::kOutcomeTakenByRun, e.because + 1);
    }
    return {};
}

QVariant PlanModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int entry = only_ ? rows_[static_cast<size_t>(index.row())] : index.row();
    const renaming::PlannedEntry& e = plan_.entries[static_cast<size_t>(entry)];
    if (role == kEntryRole)
        return entry;
    const Kind kind = kindOf(e.outcome);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        switch (index.column()) {
        case number:
            return entry + 1;
        case oldName:
            return widgets::fromBytes(e.oldName);
        case newName:
            return widgets::fromBytes(e.newName);
        case outcome:
            return outcomeText(e);
        }
        return {};
    case Qt::DecorationRole:
        if (index.column() != outcome)
            return {};
        switch (kind) {
        case Kind::failed:
            return failedIcon_;
        case Kind::deleteFailed:
            return deleteFailedIcon_;
        case Kind::ignored:
            return ignoredIcon_;
        case Kind::success:
            return {};
        }
        return {};
    case Qt::ForegroundRole:
        switch (kind) {
        case Kind::failed:
            return QColor(0xB0, 0x00, 0x20);
        case Kind::deleteFailed:
            return QColor(0x9A, 0x5A, 0x00);
        case Kind::ignored:
            return QColor(0x60, 0x60, 0x60);
        case Kind::success:
            return {};
        }
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == number)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    return {};
}

QVariant PlanModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, o, role);
    switch (section) {
    case number:
        return widgets::fromUtf8(msg::kPreviewNumber);
    case oldName:
        return widgets::fromUtf8(msg::kPreviewOld);
    case newName:
        return widgets::fromUtf8(msg::kPreviewNew);
    case outcome:
        return widgets::fromUtf8(msg::kPreviewOutcome);
    }
    return {};
}

}  // namespace app
