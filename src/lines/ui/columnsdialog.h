// "列の選択": which column of a CSV or TSV file holds the names, whether its
// first row is a header, or two columns read as a table of current and new
// names. Shows the first rows of the file as they were read.
#pragma once

#include "lines/decoding.h"
#include "lines/table.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace lines::ui {

struct ColumnChoice {
    bool mapping = false;  // a table of current and new names
    int column = 0;        // the names, for a list
    int from = 0, to = 1;  // the columns of a table
    bool header = false;
};

class TColumnsDialog : public QDialog {
    Q_OBJECT
public:
    TColumnsDialog(const std::vector<Row>& rows, Encoding encoding, QWidget* owner = nullptr);

    QLabel* EncodingLabel;
    QTableWidget* RowsTable;
    QCheckBox* HeaderRow;
    QRadioButton* NameList;
    QComboBox* NameColumn;
    QRadioButton* MappingTable;
    QComboBox* CurrentColumn;
    QComboBox* NewColumn;
    QPushButton* OkButton;
    QPushButton* CancelButton;

    ColumnChoice choice() const;

    // Rows shown: enough to tell the columns apart.
    static constexpr int kShownRows = 50;

private:
    void fillColumns();
    void updateEnabled();

    const std::vector<Row>& rows_;
    int columns_ = 1;
};

}  // namespace lines::ui
