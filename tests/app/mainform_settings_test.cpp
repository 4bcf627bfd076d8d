// The settings file as the main window reads it at start and writes it at
// close: window bounds, start state, hand-edited values, a read-only file.
#include "app/application.h"
#include "app/mainform.h"
#include "platform/exepath.h"
#include "rename/ui/memo.h"
#include "settings/values.h"
#include "support/modal.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "support/programhome.h"

using namespace testing_support;

namespace {

std::string windowFile(const char* winMem, const char* initMax, const char* top,
                       const char* left, const char* height, const char* width)
{
    return std::string("[ウィンドウの位置とサイズを記憶する]\r\nWinMem=") + winMem +
           "\r\n[ウィンドウを最大化で表示]\r\nInitMax=" + initMax +
           "\r\n[ウィンドウの位置とサイズ]\r\nTop=" + top + "\r\nLeft=" + left +
           "\r\nHeight=" + height + "\r\nWidth=" + width + "\r\n";
}

class SettingsWindow : public ProgramInScratch {
protected:
    std::string ini() const { return home / "meibo.ini"; }

    std::unique_ptr<TMainForm> start()
    {
        auto form = std::make_unique<TMainForm>();
        if (form->windowState() & Qt::WindowMaximized)
            form->showMaximized();
        else
            form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        // The window takes the place the platform gave it as its own by a
        // zero-time timer started when it is shown; one started after it
        // has run once it fires.
        bool settled = false;
        QTimer::singleShot(0, form.get(), [&] { settled = true; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return settled; }));
        return form;
    }

};

TEST_F(SettingsWindow, FirstStartOpensAtDesignBoundsAndTheFirstCloseWritesFifteenLines)
{
    auto form = start();
    EXPECT_FALSE(form->isMaximized());
    EXPECT_EQ(form->outerBounds(), QRect(217, 172, 851, 596));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(readFile(ini()), kFirstClose);
}

TEST_F(SettingsWindow, BoundsComeBackAndAreWrittenBackUnchanged)
{
    struct Case {
        const char* top;
        const char* left;
        const char* height;
        const char* width;
        QRect expected;
    } cases[] = {
        {"-8", "0x20", "500", "700", QRect(32, -8, 700, 500)},
        {"10", "$20", "600", "900", QRect(32, 10, 900, 600)},
        {"10", " 32", "600", "900", QRect(32, 10, 900, 600)},
        {"10", "32px", "600", "900", QRect(217, 10, 900, 600)},
        {"3000", "-4000", "596", "851", QRect(-4000, 3000, 851, 596)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("Top=") + c.top + " Left=" + c.left);
        writeFile(ini(), windowFile("1", "0", c.top, c.left, c.height, c.width));
        auto form = start();
        EXPECT_TRUE(settings::values().WinMem);
        EXPECT_EQ(form->outerBounds(), c.expected);
        ASSERT_TRUE(form->close());
        const QRect& e = c.expected;
        EXPECT_EQ(readFile(ini()),
                  windowFile("1", "0", std::to_string(e.y()).c_str(),
                             std::to_string(e.x()).c_str(), std::to_string(e.height()).c_str(),
                             std::to_string(e.width()).c_str()) +
                      "[ルートフォルダ指定の方法]\r\nRootDirSel=0\r\n[前回処理したフォルダ]\r\n"
                      "LastDir=\r\n[フォルダ指定のルートフォルダ]\r\nRootDir=\r\n");
    }
}

TEST_F(SettingsWindow, WinMemOffOpensAtDesignBoundsButStillWritesTheCurrentOnes)
{
    writeFile(ini(), windowFile("0", "0", "5", "6", "400", "500"));
    auto form = start();
    EXPECT_EQ(form->outerBounds(), QRect(217, 172, 851, 596));
    form->move(300, 200);  // the user moves it
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->pos() == QPoint(300, 200); }));
    ASSERT_TRUE(form->close());
    const std::string text = readFile(ini());
    EXPECT_NE(text.find("Top=200\r\nLeft=300\r\nHeight=596\r\nWidth=851\r\n"), std::string::npos)
        << text;
}

TEST_F(SettingsWindow, InitMaxOpensMaximisedAndAMaximisedCloseKeepsTheBounds)
{
    writeFile(ini(), windowFile("1", "1", "5", "6", "400", "500"));
    auto form = start();
    EXPECT_TRUE(form->isMaximized());
    ASSERT_TRUE(form->close());
    const std::string text = readFile(ini());
    EXPECT_NE(text.find("InitMax=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("Top=5\r\nLeft=6\r\nHeight=400\r\nWidth=500\r\n"), std::string::npos)
        << text;
}

TEST_F(SettingsWindow, ValuesReadAtStartAreWrittenBackAtClose)
{
    writeFile(ini(), std::string("[ウィンドウの位置とサイズを記憶する]\nWinMem=-1\n"
                                 "[ルートフォルダ指定の方法]\nRootDirSel=$7\n"
                                 "[前回処理したフォルダ]\nLastDir=\"/home/u/写真\"\n"
                                 "[フォルダ指定のルートフォルダ]\nRootDir= /srv \n"));
    auto form = start();
    EXPECT_TRUE(settings::values().WinMem);
    EXPECT_EQ(settings::values().RootDirSel, 7);
    EXPECT_EQ(settings::values().LastDir, "/home/u/写真");
    EXPECT_EQ(settings::values().RootDir, "/srv");
    ASSERT_TRUE(form->close());
    const std::string text = readFile(ini());
    for (const char* line : {"WinMem=1\r\n", "RootDirSel=7\r\n", "LastDir=/home/u/写真\r\n",
                             "RootDir=/srv\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(SettingsWindow, ReadOnlyFileShowsTheWriteErrorAndTheWindowStaysOpen)
{
    writeFile(ini(), "[ウィンドウの位置とサイズを記憶する]\r\nWinMem=0\r\n", 0444);
    auto form = start();
    {
        BoxAnswerer answer;
        form->close();
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].caption, static_cast<TApplication*>(qApp)->title());
        EXPECT_EQ(answer.seen()[0].text,
                  QString::fromLocal8Bit(ini().c_str()) + QString::fromUtf8(" に書き込めません."));
    }
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(readFile(ini()), "[ウィンドウの位置とサイズを記憶する]\r\nWinMem=0\r\n");
    // The user has been told: the next close closes the window.
    ::chmod(ini().c_str(), 0644);
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
}

// Where the settings cannot be written at all, the first close shows the
// write error and the window stays; the user has been told, and the next
// close, by the close box or the exit menu, closes it without saving.
TEST_F(SettingsWindow, AfterTheWriteErrorTheNextCloseClosesWithoutSaving)
{
    const char* const before = "[ウィンドウの位置とサイズを記憶する]\r\nWinMem=0\r\n";
    const struct {
        const char* what;
        bool folder;  // the settings file's path is a folder; else a read-only file
        bool byMenu;
    } cases[] = {
        {"read-only file, close box", false, false},
        {"read-only file, exit menu", false, true},
        {"a folder in the file's place, close box", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink(ini().c_str());
        ::rmdir(ini().c_str());
        if (c.folder)
            ASSERT_EQ(::mkdir(ini().c_str(), 0755), 0);
        else
            writeFile(ini(), before, 0444);
        auto form = start();
        BoxAnswerer answer;
        EXPECT_FALSE(form->close());
        EXPECT_TRUE(form->isVisible());
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].caption, static_cast<TApplication*>(qApp)->title());
        EXPECT_EQ(answer.seen()[0].text,
                  QString::fromLocal8Bit(ini().c_str()) + QString::fromUtf8(" に書き込めません."));
        if (c.byMenu)
            form->FileExitMenu->trigger();
        else
            EXPECT_TRUE(form->close());
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(answer.seen().size(), 1u) << "the error is shown once";
        if (c.folder)
            EXPECT_TRUE(QFileInfo(QString::fromLocal8Bit(ini().c_str())).isDir());
        else
            EXPECT_EQ(readFile(ini()), before);
    }
    ::rmdir(ini().c_str());
}

TEST_F(SettingsWindow, CtrlQQuitsAsTheExitItemDoes)
{
    auto form = start();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(form->FileExitMenu->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    QTest::keyClick(form->Memo2, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(readFile(ini()), kFirstClose);
}

TEST_F(SettingsWindow, LastDirFromARunReachesTheFileAtClose)
{
    auto form = start();
    settings::values().LastDir = "/tmp/a\nRootDir=/etc";
    ASSERT_TRUE(form->close());
    const std::string text = readFile(ini());
    EXPECT_NE(text.find("LastDir=\r\n"), std::string::npos);
    EXPECT_NE(text.find("RootDir=\r\n"), std::string::npos);
    EXPECT_EQ(text.find("/etc"), std::string::npos);
}

// The swapping of names is kept in a section of its own, written once it
// has been checked; a file without it, as every older one, leaves it off.
TEST_F(SettingsWindow, SwappingNamesIsKeptInASectionOfItsOwn)
{
    auto form = start();
    EXPECT_FALSE(form->OptionSwapMenu->isChecked());
    EXPECT_TRUE(form->OptionSwapMenu->isCheckable());
    form->OptionSwapMenu->trigger();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(readFile(ini()), std::string(kFirstClose) + "[名前の入れ替えを行う]\r\nSwapNames=1\r\n");

    settings::resetValues();
    form = start();
    EXPECT_TRUE(form->OptionSwapMenu->isChecked());
    form->OptionSwapMenu->trigger();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(readFile(ini()), std::string(kFirstClose) + "[名前の入れ替えを行う]\r\nSwapNames=0\r\n");
}

}  // namespace
