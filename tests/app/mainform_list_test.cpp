// The list's order and filter as the user chooses them from the option menu,
// followed through the name copy, the preview and the run; the guard of
// line and entry counts; the shift warning; and long pastes.
#include "mainform_fixture.h"

#include "app/previewform.h"
#include "rename/ui/memo.h"
#include "settings/values.h"
#include "support/modal.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTableView>

#include <fcntl.h>
#include <sys/stat.h>

using namespace testing_support;

namespace {

using Names = std::vector<std::string>;

struct PairingCase {
    const char* name;
    int order;           // the item of "並び順(&O)", or -1 for none
    const char* filter;  // typed into "表示するファイル", or null
    Names listed;        // of files made c10.txt, c2.TXT, A1.txt, d.png, each newer than the last
};

void PrintTo(const PairingCase& c, std::ostream* os) { *os << c.name; }

class ListWindow : public WindowTest {
protected:
    // A window on files made in this order, each a second newer.
    std::unique_ptr<TMainForm> windowOn(const Names& files)
    {
        timespec t[2] = {{1'700'000'000, 0}, {1'700'000'000, 0}};
        for (const auto& f : files) {
            writeFile(work / f, "content of " + f);
            ::utimensat(AT_FDCWD, (work / f).c_str(), t, 0);
            ++t[0].tv_sec, ++t[1].tv_sec;
        }
        return window({});
    }

    static void typeFilter(TMainForm& form, const char* text)
    {
        onModal([text](QWidget* box) {
            box->findChild<QLineEdit*>(QStringLiteral("Edit"))->setText(u8(text));
            press(box, "OK");
        });
        form.OptionFilterMenu->trigger();
    }

    static QLabel& guard(TMainForm& form)
    {
        return *form.findChild<QLabel*>(QStringLiteral("LineGuard"));
    }

    // The preview's head line and its pairs as "old>new".
    static std::pair<QString, QStringList> preview(TMainForm& form)
    {
        std::pair<QString, QStringList> seen;
        onModal([&](QWidget* w) {
            auto& p = *static_cast<TPreviewForm*>(w);
            seen.first = p.PreviewCounts->text();
            const QAbstractItemModel* m = p.PreviewList->model();
            for (int r = 0; r < m->rowCount(); ++r)
                seen.second << m->index(r, 1).data().toString() + ">" + m->index(r, 2).data().toString();
            p.reject();
        });
        form.EditPreviewMenu->trigger();
        return seen;
    }
};

class PairedUnder : public ListWindow, public ::testing::WithParamInterface<PairingCase> {};

TEST_P(PairedUnder, CopyPreviewAndRunTakeTheListedOrder)
{
    const PairingCase& c = GetParam();
    auto form = windowOn({"c10.txt", "c2.TXT", "A1.txt", "d.png"});
    QAction* orders[] = {form->OrderNameMenu, form->OrderNaturalMenu, form->OrderModifiedMenu};
    if (c.order >= 0)
        orders[c.order]->trigger();
    if (c.filter)
        typeFilter(*form, c.filter);
    ASSERT_EQ(listed(*form), c.listed);
    EXPECT_TRUE(orders[std::max(c.order, 0)]->isChecked());

    // Each line is its entry's name without the extension; "new_" before it
    // makes the new name "new_" and the old one.
    click(*form, "ButtonCopy");
    const QStringList lines = form->Memo2->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(c.listed.size()));
    QStringList newLines, pairs;
    for (int i = 0; i < lines.size(); ++i) {
        const std::string& old = c.listed[static_cast<size_t>(i)];
        EXPECT_EQ(lines[i].toStdString(), old.substr(0, old.rfind('.')));
        newLines << u8("new_") + lines[i];
        pairs << u8((old + ">new_" + old).c_str());
    }
    form->Memo2->setPlainText(newLines.join(QLatin1Char('\n')));
    EXPECT_EQ(preview(*form).second, pairs);

    BoxAnswerer ok;
    click(*form, "ButtonRename");
    for (const auto& old : c.listed)
        EXPECT_EQ(readFile(work / ("new_" + old)), "content of " + old);
    // What the filter left out was never touched.
    EXPECT_EQ(snapshot(work.path()).size(), 4 + c.listed.size());
    EXPECT_EQ(settings::values().SortOrder, std::max(c.order, 0));
    EXPECT_EQ(settings::values().FileMask, c.filter ? c.filter : "");
}

INSTANTIATE_TEST_SUITE_P(
    MainForm, PairedUnder,
    ::testing::Values(
        PairingCase{"ByName", -1, nullptr, {"A1.txt", "c10.txt", "c2.TXT", "d.png"}},
        PairingCase{"NumbersByValue", 1, nullptr, {"A1.txt", "c2.TXT", "c10.txt", "d.png"}},
        PairingCase{"OldestFirst", 2, nullptr, {"c10.txt", "c2.TXT", "A1.txt", "d.png"}},
        PairingCase{"FilteredOldestFirst", 2, "*.txt", {"c10.txt", "c2.TXT", "A1.txt"}},
        PairingCase{"Filtered", -1, "*.PNG；*1.*", {"A1.txt", "d.png"}}));

TEST_F(ListWindow, SettingsFileOrderAndFilterApplyAtStart)
{
    writeFile(home / "meibo.ini", "[ファイルの並び順]\r\nSortOrder=1\r\n"
                                  "[表示するファイル]\r\nFileMask=f*\r\n");
    auto form = windowOn({"f10", "f9", "g1"});
    EXPECT_EQ(listed(*form), (Names{"f9", "f10"}));
    EXPECT_TRUE(form->OrderNaturalMenu->isChecked());
    EXPECT_TRUE(form->OptionFilterMenu->isChecked());
    form->OrderNameMenu->trigger();
    EXPECT_EQ(listed(*form), (Names{"f10", "f9"}));
}

struct GuardCase {
    const char* name;
    Names files;
    const char* memo;
    const char* text;
    bool red;
};

void PrintTo(const GuardCase& c, std::ostream* os) { *os << c.name; }

class GuardLabel : public ListWindow, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(GuardLabel, CountsLinesAndEntriesAndWarnsInRedWhenTheyDiffer)
{
    const GuardCase& c = GetParam();
    auto form = window(c.files);
    form->Memo2->setPlainText(u8(c.memo));
    QLabel& label = guard(*form);
    EXPECT_EQ(label.text(), u8(c.text));
    const QColor ink = label.palette().color(QPalette::WindowText);
    EXPECT_EQ(ink.red() > 150 && ink.green() < 80, c.red) << ink.name().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    MainForm, GuardLabel,
    ::testing::Values(
        GuardCase{"Agree", {"a.txt", "b.txt"}, "x\ny\n", "変更後 2 行／現在 2 件", false},
        GuardCase{"EmptyLinesAtTheEndDoNotCount", {"a.txt", "b.txt"}, "x\n\ny\n\n\n",
                  "変更後 3 行／現在 2 件", true},
        GuardCase{"OneLineShort", {"a.txt", "b.txt", "c.txt"}, "x\ny", "変更後 2 行／現在 3 件", true},
        GuardCase{"NamesWithALineBreak", {"a.txt", "b\nc.txt"}, "x",
                  "変更後 1 行／現在 1 件（表示できない名前 1 件）", false}));

TEST_F(ListWindow, PreviewHeadLineWarnsOfShiftedLines)
{
    auto form = window({"IMG_01.jpg", "IMG_02.jpg", "IMG_03.jpg", "IMG_04.jpg", "IMG_05.jpg"});
    const QString warning = u8("行がずれている可能性があります");
    form->Memo2->setPlainText(u8("旅行0\n旅行1\n旅行2\n旅行3\n旅行4\n"));
    EXPECT_TRUE(preview(*form).first.endsWith(warning));
    form->Memo2->setPlainText(u8("旅行1\n旅行2\n旅行3\n旅行4\n旅行5\n"));
    EXPECT_FALSE(preview(*form).first.contains(warning));
}

void putOnClipboard(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    QApplication::clipboard()->setMimeData(data);
}

TEST_F(ListWindow, PasteOverSixtyFourMebibytesIsRefused)
{
    auto form = window({});
    form->Memo2->setPlainText(u8("kept\n"));
    putOnClipboard(QString(renaming::TMemo::kMaxPasteBytes / 3 + 1, QChar(0x3042)));  // "あ", 3 bytes
    BoxAnswerer ok;
    form->Memo2->paste();
    ASSERT_EQ(ok.seen().size(), 1u);
    EXPECT_EQ(ok.seen()[0].text, u8("貼り付けるテキストが 64 MiB を超えるため、貼り付けませんでした。"));
    EXPECT_EQ(form->Memo2->toPlainText(), u8("kept\n"));
    QApplication::clipboard()->clear();
}

TEST_F(ListWindow, LongPasteIsOneEdit)
{
    auto form = window({});
    form->Memo2->setPlainText(u8("first\n"));
    form->Memo2->setCaret(form->Memo2->length());
    QString text;
    for (int i = 0; i < 300000; ++i)
        text += QString::number(i) + (i % 2 ? u8("\r\n") : u8("\n"));
    putOnClipboard(text);
    form->Memo2->paste();
    EXPECT_EQ(form->Memo2->Lines.Count(), 300001);
    EXPECT_EQ(form->Memo2->Lines[300000], "299999");
    form->Memo2->undo();
    EXPECT_EQ(form->Memo2->toPlainText(), u8("first\n"));
    QApplication::clipboard()->clear();
}

}  // namespace
