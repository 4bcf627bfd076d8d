// The one-item test and the name copy.
#include "app/mainform.h"

#include "app/messages.h"
#include "filedialog/ui/messagebox.h"
#include "platform/codepage.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"

namespace {
QString local(const std::string& s)
{
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}
QString tr8(const char* s) { return QString::fromUtf8(s); }
}  // namespace

void TMainForm::ButtonTestClick()
{
    const QString caption = tr8(app::msg::kTestCaption);
    const std::string line = Memo2->Lines[0];
    if (!CheckFileName(line)) {
        nx::messageBox(tr8(app::msg::kTestInvalid), caption, nx::kMbOk);
        return;
    }
    // The memo line is read before the list entry (which may raise).
    const std::string first = Memo2->Lines[0];
    const std::string n = MakeNewFileName(FileListBox->NameAt(0), first);
    if (!n.empty())
        nx::messageBox(tr8(app::msg::kTestNewNameBefore) + local(n) +
                           tr8(app::msg::kTestNewNameAfter),
                       caption, nx::kMbOk);
    else
        nx::messageBox(tr8(app::msg::kTestNoName), caption, nx::kMbOk);
}

void TMainForm::ButtonCopyClick()
{
    const auto cp = platform::systemCodePage();
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(FileListBox->Count()));
    for (int i = 0; i < FileListBox->Count(); ++i)
        lines.emplace_back(renaming::baseOf(FileListBox->NameAt(i), cp));
    Memo2->Lines.Assign(lines);
}
