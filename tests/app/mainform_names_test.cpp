// The one-item test and the name copy of the main window, driven as a user
// drives them: the memo typed into, the buttons clicked, the boxes read.
#include "mainform_fixture.h"

#include "app/application.h"
#include "rename/ui/memo.h"
#include "support/modal.h"
#include "support/programhome.h"
#include "support/scratch.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

using namespace testing_support;

namespace {

struct TestCase {
    const char* name;
    std::vector<std::string> files;
    const char* memo;
    bool append;
    bool errorReport;  // the general error report instead of the test's box
    const char* text;
};

void PrintTo(const TestCase& c, std::ostream* os) { *os << c.name; }

const std::string kLong(300, 'n');
const std::string kLongAnswer = "新しいファイル名は「" + kLong + ".txt」になります\n失敗：ファイルシステムが受け付けない名前です";

class TestButton : public WindowTest, public ::testing::WithParamInterface<TestCase> {};

TEST_P(TestButton, ShowsWhatTheFirstFileWouldBeCalled)
{
    const auto& c = GetParam();
    auto form = window(c.files);
    form->Memo2->setPlainText(u8(c.memo));
    if (c.append)
        click(*form, "RadioGroupNameItem1");
    // The selected entry plays no part.
    if (form->FileListBox->Count() > 1)
        form->FileListBox->setCurrentIndex(form->FileListBox->model()->index(1, 0));
    const auto before = snapshot(work.path());

    BoxAnswerer answer;
    click(*form, "ButtonTest");
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].caption, c.errorReport ? static_cast<TApplication*>(qApp)->title()
                                                     : u8("renameテスト"));
    EXPECT_EQ(answer.seen()[0].text, u8(c.text));
    EXPECT_EQ(snapshot(work.path()), before);
    EXPECT_EQ(statusLine(*form), kPrompt);
}

INSTANTIATE_TEST_SUITE_P(
    Window, TestButton,
    ::testing::Values(
        TestCase{"EmptyMemo", {"a.txt"}, "", false, false, "ファイル名が入力されていません"},
        TestCase{"BlankLine", {"a.txt"}, " \t\nx", false, false, "ファイル名が入力されていません"},
        TestCase{"Replace", {"b.txt", "a.txt"}, "x\ny", false, false,
                 "新しいファイル名は「x.txt」になります"},
        TestCase{"Append", {"a.txt"}, "x", true, false, "新しいファイル名は「ax.txt」になります"},
        TestCase{"Invalid", {"a.txt"}, "a|b", false, false, "ファイル名に不正な文字があります"},
        TestCase{"InvalidOnEmptyList", {}, "a|b", false, false,
                 "ファイル名に不正な文字があります"},
        TestCase{"EmptyList", {}, "x", false, true, "リストのインデックスが範囲を超えています (0)"},
        TestCase{"ExistingNameIsNotChecked", {"a.txt", "x.txt"}, "x", false, false,
                 "新しいファイル名は「x.txt」になります"},
        // A name the run refuses whatever the folder holds says why.
        TestCase{"HiddenName", {"a.txt"}, ".hidden", false, false,
                 "新しいファイル名は「.hidden.txt」になります\n失敗：「.」で始まる名前は隠しファイルになります"},
        TestCase{"TooLongForTheFileSystem", {"a.txt"}, kLong.c_str(), false, false,
                 kLongAnswer.c_str()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, CopyFillsTheMemoWithTheBases)
{
    auto form = window({"c", "b.txt", "a.tar.gz"});
    form->Memo2->setPlainText(u8("old text\nmore"));
    click(*form, "ButtonCopy");
    EXPECT_EQ(form->Memo2->toPlainText(), u8("a.tar\nb\nc\n"));
    EXPECT_EQ(form->Memo2->Lines.Count(), 3);
    EXPECT_EQ(form->Memo2->Lines[2], "c");
    EXPECT_EQ(form->Memo2->Lines[3], "");
}

TEST_F(WindowTest, CopyOnAnEmptyListEmptiesTheMemo)
{
    auto form = window({});
    form->Memo2->setPlainText(u8("x"));
    click(*form, "ButtonCopy");
    EXPECT_EQ(form->Memo2->toPlainText(), QString());
}

TEST_F(WindowTest, NamesThatWouldSplitAMemoLineAreNotListed)
{
    // The memo takes these characters for line ends: a name holding one
    // would shift every later line onto the wrong file.
    auto form = window({"a\xE2\x80\xA9z.txt", "b\xEF\xB7\x90.txt", "c\xEF\xB7\x91.txt",
                        "d\xE2\x80\xA8.txt", "e.txt"});
    click(*form, "ButtonCopy");
    EXPECT_EQ(form->Memo2->Lines.Count(), form->FileListBox->Count());
    for (int i = 0; i < form->FileListBox->Count(); ++i) {
        const std::string& name = form->FileListBox->NameAt(i);
        EXPECT_EQ(form->Memo2->Lines[i], name.substr(0, name.rfind('.'))) << i;
    }
}

// Copying names that hold bytes of no valid text and renaming unchanged
// fails for every file: the names come back from the memo as the same bytes.
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
