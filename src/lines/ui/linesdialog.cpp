#include "lines/ui/linesdialog.h"

#include "lines/ui/changesmodel.h"
#include "lines/ui/messages.h"
#include "widgets/fonts.h"
#include "widgets/named.h"
#include "widgets/text.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include <cstdio>

namespace lines::ui {

using widgets::fromUtf8;
using widgets::named;

namespace {
constexpr int kRowHeight = 20;
}

TLinesDialog::TLinesDialog(const char* caption, MemoSnapshot memo, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), memo_(std::move(memo))
{
    setWindowTitle(fromUtf8(caption));
    setModal(true);
    setSizeGripEnabled(true);
    setFont(widgets::gothicFont(14));

    body_ = new QVBoxLayout;

    TargetGroup = named(new QGroupBox(fromUtf8(msg::kTargetGroup), this), "TargetGroup");
    AllLines = named(new QRadioButton(fromUtf8(msg::kAllLines), TargetGroup), "AllLines");
    SelectedLines = named(new QRadioButton(fromUtf8(msg::kSelectedLines), TargetGroup), "SelectedLines");
    AllLines->setChecked(true);
    SelectedLines->setEnabled(memo_.selection.has_value());
    auto* target = new QHBoxLayout(TargetGroup);
    target->addWidget(AllLines);
    target->addWidget(SelectedLines);
    target->addStretch(1);

    Problem = named(new QLabel(this), "Problem");
    Problem->setTextFormat(Qt::PlainText);
    Problem->setWordWrap(true);
    {
        QPalette pal = Problem->palette();
        pal.setColor(QPalette::WindowText, Qt::red);
        Problem->setPalette(pal);
    }
    Problem->hide();

    ChangeCount = named(new QLabel(this), "ChangeCount");
    ChangeCount->setTextFormat(Qt::PlainText);
    DateCount = named(new QLabel(this), "DateCount");
    DateCount->setTextFormat(Qt::PlainText);
    DateCount->hide();

    model_ = new ChangesModel(memo_.lines, this);
    ChangesList = named(new QTableView(this), "ChangesList");
    ChangesList->setModel(model_);
    ChangesList->setAccessibleName(fromUtf8(caption));
    ChangesList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ChangesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ChangesList->setWordWrap(false);
    ChangesList->setAlternatingRowColors(true);
    // Fixed heights and widths: nothing is measured row by row, so a table
    // of 100,000 rows is shown at once.
    QHeaderView* rows = ChangesList->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(kRowHeight);
    QHeaderView* cols = ChangesList->horizontalHeader();
    cols->setSectionResizeMode(QHeaderView::Interactive);
    cols->setStretchLastSection(true);
    cols->resizeSection(ChangesModel::number, 64);
    cols->resizeSection(ChangesModel::current, 250);

    OkButton = named(new QPushButton(fromUtf8(msg::kOk), this), "OkButton");
    CancelButton = named(new QPushButton(fromUtf8(msg::kCancel), this), "CancelButton");
    OkButton->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ChangeCount);
    buttons->addWidget(DateCount);
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);

    auto* top = new QVBoxLayout(this);
    top->addLayout(body_);
    top->addWidget(TargetGroup);
    top->addWidget(Problem);
    top->addWidget(ChangesList, 1);
    top->addLayout(buttons);

    connect(AllLines, &QRadioButton::toggled, this, [this] { settingsChanged(); });
    connect(OkButton, &QPushButton::clicked, this, &TLinesDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &TLinesDialog::reject);
    resize(720, 560);
}

TLinesDialog::~TLinesDialog()
{
    if (worker_.joinable()) {
        cancel_->store(true);
        worker_.join();
    }
}

const std::vector<LineChange>& TLinesDialog::changes() const { return model_->changes(); }

LineRange TLinesDialog::range() const
{
    if (SelectedLines->isChecked() && memo_.selection)
        return *memo_.selection;
    return LineRange{0, static_cast<int>(memo_.lines.size())};
}

void TLinesDialog::settingsChanged()
{
    if (running_) {
        // The run under way is for settings no longer shown.
        pending_ = true;
        cancel_->store(true);
        return;
    }
    start();
}

void TLinesDialog::start()
{
    pending_ = false;
    Work work = prepare();
    if (!work.problem.isEmpty() || !work.run) {
        Problem->setText(work.problem);
        Problem->setVisible(!work.problem.isEmpty());
        model_->setChanges({});
        ChangeCount->clear();
        DateCount->hide();
        OkButton->setEnabled(false);
        acceptWhenDone_ = false;
        return;
    }
    Problem->hide();
    OkButton->setEnabled(true);
    running_ = true;
    const int generation = ++generation_;
    cancel_ = std::make_shared<CancelFlag>(false);
    worker_ = std::thread([this, run = std::move(work.run), range = range(), cancel = cancel_, generation] {
        Outcome o = run(memo_.lines, range, *cancel);
        QMetaObject::invokeMethod(
            this, [this, generation, o = std::move(o)]() mutable { finished(generation, std::move(o)); },
            Qt::QueuedConnection);
    });
}

void TLinesDialog::finished(int generation, Outcome outcome)
{
    if (generation != generation_)
        return;
    worker_.join();
    running_ = false;
    if (pending_ || outcome.cancelled) {
        start();
        return;
    }
    char buf[128];
    std::snprintf(buf, sizeof buf, msg::kChangeCount, static_cast<int>(outcome.changes.size()));
    ChangeCount->setText(QString::fromUtf8(buf));
    const QString dates = outcome.withoutDate > 0 ? withoutDateText(outcome.withoutDate) : QString();
    DateCount->setText(dates);
    DateCount->setVisible(!dates.isEmpty());
    model_->setChanges(std::move(outcome.changes));
    if (acceptWhenDone_) {
        acceptWhenDone_ = false;
        QDialog::accept();
    }
}

void TLinesDialog::accept()
{
    if (!OkButton->isEnabled())
        return;
    if (busy()) {
        acceptWhenDone_ = true;
        return;
    }
    QDialog::accept();
}

}  // namespace lines::ui
