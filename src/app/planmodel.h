// The rows of the preview: one per step of a run's plan, in the run's
// order, with the entry's number, both names and the outcome in words, an
// icon and a colour for every outcome but success. A file that goes through
// a temporary name has a row for each of its two steps. Rows can be narrowed
// to the outcomes that are no success.
#pragma once

#include "rename/plan.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <vector>

namespace app {

class PlanModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { number, oldName, newName, outcome, columns };
    // The entry a row shows (the memo line it pairs with).
    static constexpr int kEntryRole = Qt::UserRole + 1;

    explicit PlanModel(renaming::Plan plan, QObject* parent = nullptr);

    const renaming::Plan& plan() const { return plan_; }
    void setOnlyProblems(bool only);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

private:
    renaming::Plan plan_;
    bool only_ = false;
    std::vector<int> rows_;  // the steps shown when narrowed
    QIcon failedIcon_, ignoredIcon_, deleteFailedIcon_;
};

}  // namespace app
