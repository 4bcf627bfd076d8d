// Seeing a run before it is made: the preview of every pair, and the list
// entry that pairs with the memo line the caret is on.
#include "app/mainform.h"

#include "app/messages.h"
#include "app/planmodel.h"
#include "app/previewform.h"
#include "app/radiogroup.h"
#include "platform/codepage.h"
#include "rename/folderindex.h"
#include "rename/shiftcheck.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"
#include "widgets/text.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTimer>

#include <atomic>
#include <memory>

namespace {

// How long the window waits for a plan before it shows the preview with the
// rows made so far: a plan of some thousand entries is whole by then.
constexpr int kPreviewWait = 150;

}  // namespace

renaming::PlanRules TMainForm::planRules() const
{
    renaming::PlanRules r;
    r.rule = RadioGroupName->ItemIndex() == 1 ? renaming::NameRule::append
                                               : renaming::NameRule::replace;
    r.cp = platform::systemCodePage();
    r.deleteOld = CheckBoxOldDel->isChecked();
    r.swap = OptionSwapMenu->isChecked();
    return r;
}

std::vector<std::string> TMainForm::memoLines(int count) const { return Memo2->Lines.First(count); }

void TMainForm::EditPreviewMenuClick()
{
    const renaming::NameList& list = FileListBox->list();
    const int lineCount = Memo2->Lines.Count();
    const renaming::PlanRules rules = planRules();
    // The plan sees the list as it stands, and the folder as it is now: the
    // run would start from exactly this. It is made on a thread of its own
    // (the list stays as it is while the preview is open, which it outlives);
    // the window waits for it a moment, taking no input, then shows the rows
    // made so far and the rest as they come.
    // The memo's lines go with the plan as one copy of their text, read
    // into names only as the plan comes to them and for the rows shown.
    auto shifted = std::make_shared<std::atomic<bool>>(false);
    auto lines = std::make_shared<const renaming::LineSnapshot>(
        Memo2->Lines.Snapshot(std::min(lineCount, FileListBox->Count())));
    auto lineAt = [lines, cp = rules.cp](size_t i) {
        return i < lines->size() ? renaming::TMemoLines::Bytes(lines->line(i), cp) : std::string();
    };
    const std::vector<std::string>& entries = list.entries();
    app::PlanModel::Names names{
        [&entries](int e) { return entries[static_cast<size_t>(e)]; },
        [&entries, lineAt, rules](int e, renaming::Outcome o) {
            return renaming::plannedNewName(entries[static_cast<size_t>(e)], lineAt(static_cast<size_t>(e)), o, rules);
        }};
    auto* model = new app::PlanModel(
        [&entries, lineAt, lineCount, rules, dir = list.folder().fd(), shifted](renaming::PlanRows& plan,
                                                                              renaming::PlanProgress& progress) {
            // The plan reads each line once, in list order: whether the
            // lines look shifted is seen on the way.
            renaming::ShiftCheck shift(rules.cp);
            size_t checked = 0;
            const renaming::LineAt read = [&](size_t i) {
                std::string line = lineAt(i);
                if (i == checked && i < entries.size()) {
                    shift.add(entries[i], line);
                    ++checked;
                }
                return line;
            };
            renaming::IndexedFolder folder(dir);
            folder.lookAhead(entries);
            renaming::makePlanRows(plan, entries, read, lineCount, rules, folder, progress);
            if (!progress.stop)
                *shifted = shift.shifted();
        },
        std::move(names));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!model->complete()) {
        QEventLoop wait;
        QTimer::singleShot(kPreviewWait, &wait, &QEventLoop::quit);
        connect(model, &app::PlanModel::completed, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    TPreviewForm preview(model, rules.deleteOld, this);
    bool busy = true;
    auto whole = [&] {
        if (*shifted) {
            const QString head = preview.PreviewCounts->text();
            const QString space = QString::fromUtf8("　");
            preview.PreviewCounts->setText(head + (head.endsWith(space) ? QString() : space) +
                                           widgets::fromUtf8(app::msg::kShiftWarning));
        }
        QApplication::restoreOverrideCursor();
        busy = false;
    };
    if (model->complete()) {
        whole();
    } else {
        // The preview answers the user while the rest is planned.
        QApplication::changeOverrideCursor(Qt::BusyCursor);
        connect(model, &app::PlanModel::completed, &preview, whole);
    }
    const int shown = preview.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    if (shown != QDialog::Accepted || preview.chosenLine() < 0)
        return;
    // The caret goes to the start of the pair's line; a pair past the last
    // line puts it at the end, where that line would be typed.
    const int line = preview.chosenLine();
    Memo2->setCaret(line < Memo2->lineCount() ? Memo2->lineStart(line) : Memo2->length());
    Memo2->setFocus();
}

void TMainForm::connectPairingAid()
{
    // Selecting an entry still changes no operation: it only shows which
    // file the line the caret is on will rename.
    connect(Memo2, &renaming::TMemo::cursorPositionChanged, this, [this] {
        const int line = Memo2->caretLine();
        QItemSelectionModel* sel = FileListBox->selectionModel();
        if (line < 0 || line >= FileListBox->Count()) {
            sel->clear();
            return;
        }
        const QModelIndex at = FileListBox->model()->index(line, 0);
        sel->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
        FileListBox->scrollTo(at);
    });
}
