// "文字種の変換": one conversion of the kind of characters, on the memo's lines.
#pragma once

#include "lines/conversion.h"
#include "lines/ui/linesdialog.h"

#include <vector>

namespace lines::ui {

class TConvertDialog : public TLinesDialog {
    Q_OBJECT
public:
    explicit TConvertDialog(MemoSnapshot memo, QWidget* owner = nullptr);

    QGroupBox* ConvertGroup;
    // One button a conversion, in the order of `Conversion`.
    std::vector<QRadioButton*> Choices;

    Conversion conversion() const;

protected:
    Work prepare() override;
};

}  // namespace lines::ui
