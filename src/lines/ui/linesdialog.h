// What the dialogs of the tools on the memo's lines share: the lines they
// work on ("すべての行" or "選択した行"), the table of every line the tool
// would change, counted live as the user changes the settings, a problem
// shown in red, and "OK" and "キャンセル".
//
// The tool runs on a thread of its own, so that the dialog stays responsive
// on 100,000 lines: a change of the settings stops the run under way and
// starts another. "OK" pressed before the run for the settings shown is
// done closes the dialog once it is.
#pragma once

#include "lines/ui/memolines.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableView;
class QVBoxLayout;

namespace lines::ui {

class ChangesModel;

class TLinesDialog : public QDialog {
    Q_OBJECT
public:
    ~TLinesDialog() override;

    QGroupBox* TargetGroup;
    QRadioButton* AllLines;
    QRadioButton* SelectedLines;
    QLabel* Problem;
    QTableView* ChangesList;
    QLabel* ChangeCount;
    QLabel* DateCount;
    QPushButton* OkButton;
    QPushButton* CancelButton;

    // The lines the settings shown change; complete once the dialog is
    // accepted.
    const std::vector<LineChange>& changes() const;
    // True while a run for the settings shown is still under way.
    bool busy() const { return running_ || pending_; }

protected:
    TLinesDialog(const char* caption, MemoSnapshot memo, QWidget* owner);

    // Where a tool puts its own controls, above the target group.
    QVBoxLayout* body() const { return body_; }

    // The run for the settings shown, or the problem that forbids one.
    struct Work {
        std::function<Outcome(const std::vector<Text>& lines, LineRange range, const CancelFlag& cancel)> run;
        QString problem;
    };
    virtual Work prepare() = 0;
    // The text of the count of lines left for want of a date; empty for none.
    virtual QString withoutDateText(int) const { return {}; }

    // To be called whenever a setting changes (and once the controls exist).
    void settingsChanged();

    void accept() override;

private:
    void start();
    void finished(int generation, Outcome outcome);
    LineRange range() const;

    MemoSnapshot memo_;
    QVBoxLayout* body_;
    ChangesModel* model_;
    std::thread worker_;
    std::shared_ptr<CancelFlag> cancel_;
    int generation_ = 0;
    bool running_ = false;
    bool pending_ = false;       // the settings changed during the run
    bool acceptWhenDone_ = false;
};

}  // namespace lines::ui
