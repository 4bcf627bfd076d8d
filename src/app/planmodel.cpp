#include "app/planmodel.h"

#include "app/messages.h"
#include "rename/messages.h"
#include "widgets/text.h"

#include <QApplication>
#include <QColor>
#include <QStyle>

#include <memory>


namespace app {

using renaming::Counted;

PlanModel::PlanModel(renaming::Plan plan, QObject* parent) : QAbstractTableModel(parent)
{
    plan_ = renaming::rowsOf(plan);
    auto kept = std::make_shared<renaming::Plan>(std::move(plan));
    names_.oldName = [kept](int e) { return kept->entries[static_cast<size_t>(e)].oldName; };
    names_.newName = [kept](int e, renaming::Outcome) { return kept->entries[static_cast<size_t>(e)].newName; };
    shown_ = static_cast<int>(plan_.order.size());
    initIcons();
}

PlanModel::PlanModel(Maker make, Names names, QObject* parent)
    : QAbstractTableModel(parent), names_(std::move(names)), complete_(false)
{
    initIcons();
    maker_ = std::thread([this, make = std::move(make)] {
        make(plan_, progress_);
        made_.store(true, std::memory_order_release);
    });
    poll_.setInterval(40);
    connect(&poll_, &QTimer::timeout, this, &PlanModel::poll);
    poll_.start();
}

PlanModel::~PlanModel()
{
    progress_.stop = true;
    if (maker_.joinable())
        maker_.join();
}

void PlanModel::poll()
{
    const bool done = made_.load(std::memory_order_acquire);
    const int steps = static_cast<int>(progress_.steps.load(std::memory_order_acquire));
    // Each insertion costs the view a look over all its rows: the rows
    // come in a few growing batches, the first as soon as there are any.
    if (steps > shown_ && (shown_ == 0 || steps >= 2 * shown_ || done)) {
        beginInsertRows({}, shown_, steps - 1);
        shown_ = steps;
        endInsertRows();
    }
    if (!done)
        return;
    poll_.stop();
    maker_.join();
    complete_ = true;
    emit completed();
}

void PlanModel::initIcons()
{
    QStyle* style = QApplication::style();
    failedIcon_ = style->standardIcon(QStyle::SP_MessageBoxCritical);
    deleteFailedIcon_ = style->standardIcon(QStyle::SP_MessageBoxWarning);
    ignoredIcon_ = style->standardIcon(QStyle::SP_MessageBoxInformation);
}

void PlanModel::setOnlyProblems(bool only)
{
    if (!complete_)
        return;  // the problems are known once the whole plan is
    beginResetModel();
    only_ = only;
    rows_.clear();
    rows_.shrink_to_fit();  // a million problems need not stay once shown all
    if (only) {
        for (size_t i = 0; i < plan_.order.size(); ++i)
            if (renaming::countedAs(plan_.outcome(plan_.order[i].entry)) != Counted::success)
                rows_.push_back(static_cast<int>(i));
    }
    endResetModel();
}

int PlanModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return only_ ? static_cast<int>(rows_.size()) : shown_;
}

int PlanModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant PlanModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    using Kind = renaming::PlannedStep::Kind;
    const int row = only_ ? rows_[static_cast<size_t>(index.row())] : index.row();
    const renaming::PlannedStep& step = plan_.order[static_cast<size_t>(row)];
    const int entry = step.entry;
    if (role == kEntryRole)
        return entry;
    const renaming::Outcome outcomeOf = plan_.outcome(entry);
    const Counted kind = renaming::countedAs(outcomeOf);
    switch (role) {
    case Qt::ToolTipRole:
        // Whole, where a column cuts a long name or a swap step's words short.
        if (index.column() == number)
            return {};
        [[fallthrough]];
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        switch (index.column()) {
        case number:
            return entry + 1;
        case oldName:
            return step.kind == Kind::fromTemporary ? QString::fromStdString(renaming::msg::kTemporaryName)
                                                    : widgets::fromBytes(names_.oldName(entry));
        case newName:
            return step.kind == Kind::toTemporary ? QString::fromStdString(renaming::msg::kTemporaryName)
                                                  : widgets::fromBytes(names_.newName(entry, outcomeOf));
        case outcome:
            return QString::fromStdString(step.kind == Kind::toTemporary ? renaming::msg::kToTemporary
                                                                         : renaming::outcomeWords(outcomeOf, plan_.because[static_cast<size_t>(entry)]));
        }
        return {};
    case Qt::DecorationRole:
        if (index.column() != outcome)
            return {};
        switch (kind) {
        case Counted::failed:
            return failedIcon_;
        case Counted::deleteFailed:
            return deleteFailedIcon_;
        case Counted::ignored:
            return ignoredIcon_;
        case Counted::success:
            return {};
        }
        return {};
    case Qt::ForegroundRole:
        switch (kind) {
        case Counted::failed:
            return QColor(0xB0, 0x00, 0x20);
        case Counted::deleteFailed:
            return QColor(0x9A, 0x5A, 0x00);
        case Counted::ignored:
            return QColor(0x60, 0x60, 0x60);
        case Counted::success:
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
