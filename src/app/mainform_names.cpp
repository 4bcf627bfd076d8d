// The one-item test and the name copy.
#include "app/mainform.h"

#include "app/messages.h"
#include "platform/codepage.h"
#include "rename/folderondisk.h"
#include "rename/plan.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

void TMainForm::ButtonTestClick()
{
    const QString caption = widgets::fromUtf8(app::msg::kTestCaption);
    const std::string line = Memo2->Lines[0];
    if (!CheckFileName(line)) {
        widgets::messageBox(widgets::fromUtf8(app::msg::kTestInvalid), caption, widgets::kMbOk);
        return;
    }
    // The memo line is read before the list entry (which may raise).
    const std::string first = Memo2->Lines[0];
    const std::string& oldName = FileListBox->NameAt(0);
    // Decided as the run decides, but for the folder's files: whether the
    // name is taken or the copy would succeed is not the test's to say.
    const renaming::Decision d = renaming::decideName(
        oldName, first, planRules(), renaming::FolderOnDisk(FileListBox->list().folder().fd()).nameMax());
    if (d.outcome == renaming::Outcome::noName) {
        widgets::messageBox(widgets::fromUtf8(app::msg::kTestNoName), caption, widgets::kMbOk);
        return;
    }
    QString text = widgets::fromUtf8(app::msg::kTestNewNameBefore) + widgets::fromBytes(d.newName) +
                   widgets::fromUtf8(app::msg::kTestNewNameAfter);
    // A name the run would refuse says so, on a line of its own.
    if (renaming::refusesName(d.outcome))
        text += QLatin1Char('\n') + QString::fromStdString(renaming::outcomeWords(d.outcome));
    widgets::messageBox(text, caption, widgets::kMbOk);
}

void TMainForm::ButtonCopyClick()
{
    const auto cp = platform::systemCodePage();
    const std::vector<std::string>& names = FileListBox->list().entries();
    // Straight from the list into the memo, as one edit that undo takes
    // back.
    Memo2->Lines.Assign(names.size(), [&](size_t i) { return renaming::baseOf(names[i], cp); });
}
