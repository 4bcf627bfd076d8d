// The preview of a run: every pair of the list and the memo with what the run
// will do with it, the four counts the summary will show, and the lines that
// pair with no file. It shows the run's own plan, not a guess.
#pragma once

#include "rename/plan.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

namespace app {
class PlanModel;
}

class TPreviewForm : public QDialog {
    Q_OBJECT
public:
    TPreviewForm(renaming::Plan plan, bool deleteOld, QWidget* owner = nullptr);
    // Shows the plan `model` holds or is making, and takes it over: rows
    // show as they come, the counts and the narrowing once it is whole.
    TPreviewForm(app::PlanModel* model, bool deleteOld, QWidget* owner = nullptr);
    ~TPreviewForm() override;

    QTableView* PreviewList;
    QLabel* PreviewCounts;
    QLabel* PreviewUnpaired;
    QCheckBox* OnlyProblems;
    QPushButton* CloseButton;

    // The entry (and so the memo line) the user double-clicked, or -1.
    int chosenLine() const { return chosen_; }

private:
    void showCounts(bool deleteOld);

    app::PlanModel* model_;
    int chosen_ = -1;
};
