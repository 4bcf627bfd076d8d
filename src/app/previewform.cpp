#include "app/previewform.h"

#include "app/messages.h"
#include "app/planmodel.h"
#include "widgets/fonts.h"
#include "widgets/text.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <cstdio>

namespace {

template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// Rows as high as the main window's lists.
constexpr int kRowHeight = 20;

}  // namespace

TPreviewForm::TPreviewForm(renaming::Plan plan, bool deleteOld, QWidget* owner)
    : TPreviewForm(new app::PlanModel(std::move(plan)), deleteOld, owner)
{
}

TPreviewForm::TPreviewForm(app::PlanModel* model, bool deleteOld, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::WindowMaximizeButtonHint),
      model_(model)
{
    model_->setParent(this);
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(widgets::fromUtf8(app::msg::kPreviewCaption));
    setModal(true);
    setSizeGripEnabled(true);
    setFont(widgets::gothicFont(12));

    PreviewCounts = named(new QLabel(this), "PreviewCounts");
    PreviewCounts->setFont(widgets::gothicFont(16));
    PreviewCounts->setTextFormat(Qt::PlainText);
    PreviewUnpaired = named(new QLabel(this), "PreviewUnpaired");
    PreviewUnpaired->setTextFormat(Qt::PlainText);
    PreviewUnpaired->hide();

    PreviewList = named(new QTableView(this), "PreviewList");
    PreviewList->setFont(widgets::gothicFont(16));
    PreviewList->setModel(model_);
    PreviewList->setSelectionBehavior(QAbstractItemView::SelectRows);
    PreviewList->setSelectionMode(QAbstractItemView::SingleSelection);
    PreviewList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PreviewList->setWordWrap(false);
    PreviewList->setAlternatingRowColors(true);
    PreviewList->setToolTip(widgets::fromUtf8(app::msg::kPreviewHint));
    PreviewList->setAccessibleName(widgets::fromUtf8(app::msg::kPreviewCaption));
    // Fixed row heights and column widths: nothing is measured row by row,
    // so a plan of 100,000 entries opens at once.
    QHeaderView* rows = PreviewList->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(kRowHeight);
    QHeaderView* cols = PreviewList->horizontalHeader();
    cols->setSectionResizeMode(QHeaderView::Interactive);
    cols->setStretchLastSection(true);
    cols->resizeSection(app::PlanModel::number, 56);
    cols->resizeSection(app::PlanModel::oldName, 200);
    cols->resizeSection(app::PlanModel::newName, 200);

    OnlyProblems =
        named(new QCheckBox(widgets::fromUtf8(app::msg::kPreviewOnlyProblems), this), "OnlyProblems");
    CloseButton = named(new QPushButton(widgets::fromUtf8(app::msg::kPreviewClose), this), "CloseButton");
    CloseButton->setDefault(true);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(OnlyProblems);
    bottom->addStretch(1);
    bottom->addWidget(CloseButton);
    auto* top = new QVBoxLayout(this);
    top->addWidget(PreviewCounts);
    top->addWidget(PreviewUnpaired);
    top->addWidget(PreviewList, 1);
    top->addLayout(bottom);

    connect(OnlyProblems, &QCheckBox::toggled, this,
            [this](bool only) { model_->setOnlyProblems(only); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(PreviewList, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        chosen_ = index.data(app::PlanModel::kEntryRole).toInt();
        accept();
    });

    resize(760, 480);

    if (model_->complete()) {
        showCounts(deleteOld);
    } else {
        // The head line keeps its height while the counts are not known.
        PreviewCounts->setText(QString::fromUtf8("　"));
        OnlyProblems->setEnabled(false);
        connect(model_, &app::PlanModel::completed, this, [this, deleteOld] {
            showCounts(deleteOld);
            OnlyProblems->setEnabled(true);
        });
    }
}

void TPreviewForm::showCounts(bool deleteOld)
{
    const renaming::PlanRows& plan = model_->plan();
    PreviewCounts->setText(widgets::fromUtf8(renaming::summaryText(plan.counts, deleteOld).c_str()));
    if (plan.unpairedLines > 0) {
        char buf[256];
        std::snprintf(buf, sizeof buf, app::msg::kPreviewUnpairedFormat, plan.unpairedLines);
        PreviewUnpaired->setText(QString::fromUtf8(buf));
        PreviewUnpaired->show();
    }
}

TPreviewForm::~TPreviewForm() = default;
