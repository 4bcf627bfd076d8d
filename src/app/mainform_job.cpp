// The window while a job (a run or an undo) goes on its own thread: each
// step in the status line, the progress bar once the job takes a while, the
// bytes copied and the time left once its copies do, and the button that
// stops it; and the option that has a run swap names.
#include "app/mainform.h"

#include "app/messages.h"
#include "app/runaside.h"
#include "rename/job.h"
#include "settings/values.h"
#include "widgets/named.h"
#include "widgets/text.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

namespace {

// A job that takes longer than this shows its progress.
constexpr qint64 kProgressAfterMs = 500;
// ... and, when it copies, the bytes and the time left after this.
constexpr qint64 kBytesAfterMs = 3000;
// How often the window shows where the job is.
constexpr int kShowEveryMs = 50;

QString sizeText(uint64_t bytes)
{
    constexpr double kGiB = 1024.0 * 1024 * 1024, kMiB = 1024.0 * 1024;
    if (bytes >= uint64_t{1} << 30)
        return QString::number(bytes / kGiB, 'f', 1) + QStringLiteral(" GiB");
    return QString::number(bytes / kMiB, 'f', 1) + QStringLiteral(" MiB");
}

}  // namespace

QString TMainForm::copyProgressText(uint64_t done, uint64_t total, double seconds)
{
    QString s = sizeText(done) + widgets::fromUtf8(app::msg::kCopyBytesOf) + sizeText(total);
    if (done > 0 && total > done && seconds > 0) {
        const double left = seconds * static_cast<double>(total - done) / static_cast<double>(done);
        if (left < 90)
            s += widgets::fromUtf8(app::msg::kTimeLeftSeconds).arg(std::max(1, static_cast<int>(left + 0.5)));
        else
            s += widgets::fromUtf8(app::msg::kTimeLeftMinutes).arg(static_cast<int>(left / 60 + 0.5));
    }
    return s;
}

void TMainForm::buildRunControls()
{
    OptionSwapMenu = widgets::named(OptionMenu->addAction(widgets::fromUtf8(app::msg::kOptionSwap)), "OptionSwapMenu");
    OptionSwapMenu->setCheckable(true);
    // Kept in the settings, which reach the file when the window closes.
    connect(OptionSwapMenu, &QAction::toggled, this, [](bool on) { settings::values().SwapNames = on; });

    // Beside the progress bar, shown only while a job goes.
    stopButton_ = new QPushButton(widgets::fromUtf8(app::msg::kButtonStop), StatusBar);
    stopButton_->setObjectName(QStringLiteral("ButtonStop"));
    stopButton_->setFocusPolicy(Qt::NoFocus);
    stopButton_->setMaximumHeight(20);
    stopButton_->hide();
    // The status line is item 0 and the progress bar item 1.
    StatusBar->insertPermanentWidget(2, stopButton_);
}

void TMainForm::runJob(renaming::Job& job, const std::function<QString(const renaming::JobProgress&)>& stepText)
{
    QElapsedTimer clock;
    clock.start();
    long shownSteps = 0;
    // From the press on, the status line says so until the summary, and
    // the steps the job still takes to come to a safe end are not shown.
    auto stop = [&] {
        if (job.stopAsked())
            return;
        job.stop();
        stopButton_->setEnabled(false);
        setStatusText(widgets::fromUtf8(app::msg::kStopped));
    };
    stopButton_->setEnabled(true);
    auto show = [&] {
        const renaming::JobProgress p = job.progress();
        if (stopButton_->isHidden() && !job.finished())
            stopButton_->show();
        if (p.steps != shownSteps && !job.stopAsked()) {
            shownSteps = p.steps;
            setStatusText(stepText(p));
        }
        const qint64 ms = clock.elapsed();
        if (progress_->isHidden() && ms > kProgressAfterMs && p.total > 0) {
            progress_->setRange(0, p.total);
            progress_->setFormat(QStringLiteral("%v / %m"));  // done of total
            progress_->show();
        }
        if (!progress_->isHidden())
            progress_->setValue(p.done);
        const uint64_t copied = p.bytesFinished + p.bytesTicked;
        const uint64_t bytesTotal = std::max(p.bytesPlanned, p.bytesFinished + p.bytesCurrent);
        if (ms > kBytesAfterMs && bytesTotal > 0) {
            copyProgress_->setText(copyProgressText(copied, bytesTotal, ms / 1000.0));
            copyProgress_->show();
        }
    };
    app::driveJob(job, show, kShowEveryMs, stopButton_, stop);
    progress_->hide();
    copyProgress_->hide();
    stopButton_->hide();
    // Asked too late: the job had done everything.
    if (job.stopAsked() && job.end().notDone() == 0 && job.progress().steps > 0)
        setStatusText(stepText(job.progress()));
}
