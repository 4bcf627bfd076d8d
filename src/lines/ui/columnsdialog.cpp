#include "lines/ui/columnsdialog.h"

#include "lines/ui/messages.h"
#include "widgets/fonts.h"
#include "widgets/named.h"
#include "widgets/text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace lines::ui {

using widgets::fromUtf8;
using widgets::named;

namespace {

QString qs(const Text& t) { return QString::fromStdU16String(t); }

QComboBox* column(QWidget* parent, QFormLayout* form, const char* text, const char* name)
{
    auto* label = new QLabel(fromUtf8(text), parent);
    auto* box = named(new QComboBox(parent), name);
    label->setBuddy(box);
    box->setAccessibleName(fromUtf8(text));
    form->addRow(label, box);
    return box;
}

}  // namespace

TColumnsDialog::TColumnsDialog(const std::vector<Row>& rows, Encoding encoding, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), rows_(rows)
{
    setObjectName(QStringLiteral("ColumnsDialog"));
    setWindowTitle(fromUtf8(msg::kColumnsCaption));
    setModal(true);
    setSizeGripEnabled(true);
    setFont(widgets::gothicFont(14));

    for (const Row& r : rows)
        columns_ = std::max(columns_, static_cast<int>(r.size()));

    EncodingLabel = named(new QLabel(this), "EncodingLabel");
    EncodingLabel->setTextFormat(Qt::PlainText);
    EncodingLabel->setText(fromUtf8(msg::kEncodingLabel).arg(fromUtf8(msg::kEncodings[static_cast<int>(encoding)])));

    const int shown = std::min(static_cast<int>(rows.size()), kShownRows);
    RowsTable = named(new QTableWidget(shown, columns_, this), "RowsTable");
    RowsTable->setAccessibleName(fromUtf8(msg::kColumnsCaption));
    RowsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RowsTable->setWordWrap(false);
    RowsTable->verticalHeader()->setDefaultSectionSize(20);
    RowsTable->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < shown; ++r) {
        const Row& row = rows[static_cast<size_t>(r)];
        for (size_t c = 0; c < row.size(); ++c)
            RowsTable->setItem(r, static_cast<int>(c), new QTableWidgetItem(qs(asOneLine(row[c]))));
    }

    HeaderRow = named(new QCheckBox(fromUtf8(msg::kHeaderRow), this), "HeaderRow");
    NameList = named(new QRadioButton(fromUtf8(msg::kNameList), this), "NameList");
    MappingTable = named(new QRadioButton(fromUtf8(msg::kMappingTable), this), "MappingTable");
    NameList->setChecked(true);

    auto* listForm = new QFormLayout;
    NameColumn = column(this, listForm, msg::kNameColumn, "NameColumn");
    auto* mapForm = new QFormLayout;
    CurrentColumn = column(this, mapForm, msg::kCurrentColumn, "CurrentColumn");
    NewColumn = column(this, mapForm, msg::kNewColumn, "NewColumn");
    fillColumns();
    if (columns_ > 1)
        NewColumn->setCurrentIndex(1);

    OkButton = named(new QPushButton(fromUtf8(msg::kOk), this), "OkButton");
    CancelButton = named(new QPushButton(fromUtf8(msg::kCancel), this), "CancelButton");
    OkButton->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);

    auto indented = [](QLayout* l) {
        auto* h = new QHBoxLayout;
        h->addSpacing(24);
        h->addLayout(l);
        return h;
    };
    auto* top = new QVBoxLayout(this);
    top->addWidget(EncodingLabel);
    top->addWidget(RowsTable, 1);
    top->addWidget(HeaderRow);
    top->addWidget(NameList);
    top->addLayout(indented(listForm));
    top->addWidget(MappingTable);
    top->addLayout(indented(mapForm));
    top->addLayout(buttons);

    connect(HeaderRow, &QCheckBox::toggled, this, [this] { fillColumns(); });
    connect(NameList, &QRadioButton::toggled, this, [this] { updateEnabled(); });
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    updateEnabled();
    resize(640, 560);
}

void TColumnsDialog::fillColumns()
{
    // The header's texts name the columns once the first row is a header.
    const bool header = HeaderRow->isChecked() && !rows_.empty();
    QStringList names;
    for (int c = 0; c < columns_; ++c) {
        const QString number = QString::number(c + 1);
        const Text* title = header && static_cast<size_t>(c) < rows_.front().size()
                                ? &rows_.front()[static_cast<size_t>(c)]
                                : nullptr;
        names << (title && !title->empty() ? fromUtf8(msg::kColumnNamed).arg(number, qs(asOneLine(*title)))
                                           : fromUtf8(msg::kColumnNumber).arg(number));
    }
    for (QComboBox* box : {NameColumn, CurrentColumn, NewColumn}) {
        const int at = std::max(box->currentIndex(), 0);
        box->clear();
        box->addItems(names);
        box->setCurrentIndex(std::min(at, columns_ - 1));
    }
    RowsTable->setHorizontalHeaderLabels(names);
    // A header row names the columns above: it is no row of names.
    if (RowsTable->rowCount() > 0)
        RowsTable->setRowHidden(0, header);
    RowsTable->resizeColumnsToContents();
}

void TColumnsDialog::updateEnabled()
{
    const bool mapping = MappingTable->isChecked();
    NameColumn->setEnabled(!mapping);
    CurrentColumn->setEnabled(mapping);
    NewColumn->setEnabled(mapping);
}

ColumnChoice TColumnsDialog::choice() const
{
    ColumnChoice c;
    c.mapping = MappingTable->isChecked();
    c.column = NameColumn->currentIndex();
    c.from = CurrentColumn->currentIndex();
    c.to = NewColumn->currentIndex();
    c.header = HeaderRow->isChecked();
    return c;
}

}  // namespace lines::ui
