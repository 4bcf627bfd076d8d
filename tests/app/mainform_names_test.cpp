// "ファイル名複写" hands the names to the memo so that they come back as the
// same bytes: copying the names and renaming unchanged fails for every file,
// whatever bytes its name holds.
#include "app/mainform.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"
#include "support/modal.h"
#include "support/programhome.h"
#include "support/scratch.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace testing_support;

namespace {

class NameCopyWindow : public ProgramInScratch {};

TEST_F(NameCopyWindow, CopiedNamesThatAreNoValidTextRenameNothing)
{
    // Names of every odd kind: bytes that are no UTF-8, the encoding of a
    // stand-in character, Shift-JIS bytes, and plain ones beside them.
    std::vector<std::string> files;
    for (int i = 0; i < 60; ++i) {
        std::string name = "f" + std::to_string(i);
        switch (i % 4) {
        case 0:
            name += "\xE9";
            break;
        case 1:
            name += "\xEF\x9F\xA9";
            break;
        case 2:
            name += "\x95\x5C";
            break;
        default:
            break;
        }
        files.push_back(name + ".txt");
    }
    for (const auto& f : files)
        writeFile(work / f, "content of " + f);
    const auto before = snapshot(work.path());

    for (const bool deleteOld : {false, true}) {
        auto form = std::make_unique<TMainForm>();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        ASSERT_EQ(form->FileListBox->Count(), static_cast<int>(files.size()));
        form->CheckBoxOldDel->setChecked(deleteOld);
        QTest::mouseClick(form->ButtonCopy, Qt::LeftButton);
        ASSERT_EQ(form->Memo2->Lines.Count(), static_cast<int>(files.size()));
        for (int i = 0; i < form->FileListBox->Count(); ++i) {
            const std::string& name = form->FileListBox->NameAt(i);
            EXPECT_EQ(form->Memo2->Lines[i], name.substr(0, name.size() - 4));
        }
        BoxAnswerer answer;
        QTest::mouseClick(form->ButtonRename, Qt::LeftButton);
        ASSERT_EQ(answer.seen().size(), 1u);
        const QString want = QString::fromUtf8("成功：0件　失敗：60件　無視：0件　") +
                             (deleteOld ? QString::fromUtf8("削除失敗：0件") : QString());
        EXPECT_EQ(answer.seen()[0].text, want);
        EXPECT_EQ(snapshot(work.path()), before);
    }
}

}  // namespace
