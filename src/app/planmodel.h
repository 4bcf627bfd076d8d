// The rows of the preview: one per step of a run's plan, in the run's
// order, with the entry's number, both names and the outcome in words, an
// icon and a colour for every outcome but success. A file that goes through
// a temporary name has a row for each of its two steps. Rows can be narrowed
// to the outcomes that are no success. A plan can be made on a thread of
// its own while its rows are shown: rows come in as they are decided.
#pragma once

#include "rename/plan.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QTimer>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace app {

class PlanModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { number, oldName, newName, outcome, columns };
    // The entry a row shows (the memo line it pairs with).
    static constexpr int kEntryRole = Qt::UserRole + 1;

    explicit PlanModel(renaming::Plan plan, QObject* parent = nullptr);
    // The names a row shows, asked of the rows on the screen only: an
    // entry's old name, and the new name the plan gave it.
    struct Names {
        std::function<std::string(int entry)> oldName;
        std::function<std::string(int entry, renaming::Outcome)> newName;
    };
    // Runs `make` on a thread of its own, which fills the plan and tells of
    // its progress; completed() follows once it is done.
    using Maker = std::function<void(renaming::PlanRows&, renaming::PlanProgress&)>;
    PlanModel(Maker make, Names names, QObject* parent = nullptr);
    // Stops a plan still being made and waits for its thread.
    ~PlanModel() override;

    // The plan: whole once complete() (before, only the rows shown).
    const renaming::PlanRows& plan() const { return plan_; }
    bool complete() const { return complete_; }
    void setOnlyProblems(bool only);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

signals:
    void completed();

private:
    void poll();
    void initIcons();

    renaming::PlanRows plan_;
    Names names_;
    renaming::PlanProgress progress_;
    std::atomic<bool> made_{false};  // the maker has returned
    std::thread maker_;
    QTimer poll_;
    bool complete_ = true;
    int shown_ = 0;  // rows of plan_.order shown, narrowed or not
    bool only_ = false;
    std::vector<int> rows_;  // the steps shown when narrowed
    QIcon failedIcon_, ignoredIcon_, deleteFailedIcon_;
};

}  // namespace app
