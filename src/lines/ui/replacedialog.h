// "置換": find and replace on the memo's lines, with regular expressions,
// counters and the dates of the files the lines pair with.
#pragma once

#include "lines/dates.h"
#include "lines/replacer.h"
#include "lines/ui/linesdialog.h"

class QCheckBox;
class QLineEdit;

namespace lines::ui {

class TReplaceDialog : public TLinesDialog {
    Q_OBJECT
public:
    // `dates` gives line i the date of entry i; it must outlive the dialog
    // and may be null where no list is shown.
    TReplaceDialog(MemoSnapshot memo, DateSource* dates, QWidget* owner = nullptr);

    QLineEdit* SearchEdit;
    QLineEdit* ReplaceEdit;
    QCheckBox* UseRegex;
    QCheckBox* MatchCase;
    QCheckBox* ReplaceAll;
    QCheckBox* UseCounter;
    QGroupBox* DateGroup;
    QRadioButton* DateModified;
    QRadioButton* DateTaken;

    ReplaceSettings settings() const;

protected:
    Work prepare() override;
    QString withoutDateText(int count) const override;

private:
    DateSource* dates_;
};

}  // namespace lines::ui
