// Listing a folder in the file list window: which files, their texts and
// icons, and the folder line with its tool buttons.
#include "run_dialog.h"

#include "filedialog/unitstate.h"
#include "support/geometry.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QToolButton>

#include <sys/stat.h>
#include <unistd.h>

using fdtest::run;
using fdtest::u;
using testing_support::ScratchDir;

namespace {

// A folder with files of several extensions, hidden and system entries.
struct Sample {
    ScratchDir d;
    Sample()
    {
        for (const char* n : {"a.txt", "B.TXT", "c.text", "d", "a.doc", "readme", "data1.txt",
                              "data2.txt", "mydata.txt", ".hidden.txt"})
            d.write(n);
        d.mkdir("sub.txt");
        ::mkfifo(d.file("pipe.txt").c_str(), 0644);
        if (::symlink("nowhere", d.file("dead.txt").c_str()) != 0)
            ADD_FAILURE() << "symlink";
    }
};

QStringList listed(TnxFileDialogBase& dlg)
{
    QStringList out;
    run(dlg, [&](TListForm& f) { out = fdtest::texts(f); });
    return out;
}

}  // namespace

TEST(FileListWindow, ListsByExtensionFilterAndNamePattern)
{
    Sample s;
    struct Case {
        const char* ext;
        const char* find;
        QStringList want;
    } cases[] = {
        {"txt", "", {"a", "B", "data1", "data2", "mydata"}},
        {"TXT", "", {"a", "B", "data1", "data2", "mydata"}},
        {"*", "", {"a", "a", "B", "c", "d", "data1", "data2", "mydata", "readme"}},
        {"", "", {}},
        {".txt", "", {}},
        {"txt", "data*", {"data1", "data2"}},
        {"txt", "data1", {"data1"}},
    };
    for (const auto& c : cases) {
        TnxOpenDialog dlg;
        dlg.Directory = s.d.path();
        dlg.FileExt = c.ext;
        dlg.FindText = c.find;
        QStringList got = listed(dlg);
        EXPECT_EQ(got, c.want) << "FileExt '" << c.ext << "' FindText '" << c.find << "'";
    }
}

TEST(FileListWindow, EmptyOrMissingFolderGivesEmptyListWithoutMessage)
{
    ScratchDir d;
    d.mkdir("only-a-folder");
    d.write(".only-hidden");
    for (const std::string& dir : {d.path(), d.path() + "/missing"}) {
        testing_support::BoxAnswerer boxes;
        TnxOpenDialog dlg;
        dlg.Directory = dir;
        dlg.FileExt = "*";
        run(dlg, [&](TListForm& f) {
            EXPECT_EQ(f.ListView1->rowCount(), 0);
            EXPECT_FALSE(f.FileOpenBtn->isEnabled());
        });
        EXPECT_TRUE(boxes.seen().empty()) << dir;
    }
}

TEST(FileListWindow, HeaderLineShowsFolderAndToolButtons)
{
    ScratchDir d;
    d.write("f.txt");
    struct Case {
        bool dirLine;
        TnxDialogOptions options;
        bool panel, find, folder;
    } cases[] = {
        {false, {}, false, false, false},
        {true, {}, true, false, false},
        {false, {doFindBtn}, true, true, false},
        {false, {doFolderBtn}, true, false, true},
        {true, {doFindBtn, doFolderBtn}, true, true, true},
    };
    for (const auto& c : cases) {
        TnxOpenDialog dlg;
        dlg.Directory = d.path();
        dlg.FileExt = "txt";
        dlg.DisplayDirectory = c.dirLine;
        dlg.Options = c.options;
        dlg.FormWidth = 600;
        run(dlg, [&](TListForm& f) {
            SCOPED_TRACE(testing::Message() << "line " << c.dirLine << " options "
                                            << int(c.options.bits()));
            EXPECT_EQ(f.DirNamePanel->isVisible(), c.panel);
            EXPECT_EQ(f.FindBtn->isVisible(), c.find);
            EXPECT_EQ(f.FolderBtn->isVisible(), c.folder);
            EXPECT_EQ(f.DirNamePanel->text(),
                      c.dirLine ? u("  ") + QString::fromLocal8Bit(d.path().c_str()) : QString());
            if (c.find) {
                // The search button sits at the right end when it is alone.
                const int right = f.DirNamePanel->width() - (f.FindBtn->x() + f.FindBtn->width());
                EXPECT_EQ(right, c.folder ? 32 : 8);
            }
            if (c.panel)
                EXPECT_EQ(f.Panel1->y(), f.DirNamePanel->height());
            else
                EXPECT_EQ(f.Panel1->y(), 0);
        });
    }
}

TEST(FileListWindow, FolderLineIsShortenedToItsRoom)
{
    ScratchDir d;
    const std::string deep = d.path() + "/aaaaaaaaaaaa/bbbbbbbbbbbb/cccccccccccc/dddddddddddd";
    std::string p = d.path();
    for (const char* part : {"/aaaaaaaaaaaa", "/bbbbbbbbbbbb", "/cccccccccccc", "/dddddddddddd"}) {
        p += part;
        ::mkdir(p.c_str(), 0755);
    }
    TnxOpenDialog dlg;
    dlg.Directory = deep;
    dlg.DisplayDirectory = true;
    dlg.Options = {doFindBtn, doFolderBtn};
    dlg.FormWidth = 200;
    run(dlg, [&](TListForm& f) {
        const QString line = f.DirNamePanel->text();
        const QFontMetrics fm(f.font());
        const int room = f.DirNamePanel->width() - 10 - 60;
        EXPECT_TRUE(line.startsWith(u("  /.../")) || line.startsWith(u("  .../")) ||
                    line == u("  dddddddddddd"))
            << line.toStdString();
        EXPECT_TRUE(line.endsWith(u("/dddddddddddd")) || line == u("  dddddddddddd"));
        EXPECT_LE(fm.horizontalAdvance(line.mid(2)), room) << line.toStdString();
        // Widening the window gives the full path back.
        f.resize(1400, f.height());
        QApplication::processEvents();
        EXPECT_EQ(f.DirNamePanel->text(), u("  ") + QString::fromLocal8Bit(deep.c_str()));
    });
}

TEST(FileListWindow, IconsOnlyWhenAsked)
{
    ScratchDir d;
    d.write("pic.png");
    d.write("doc.txt");
    for (bool icons : {false, true}) {
        TnxOpenDialog dlg;
        dlg.Directory = d.path();
        dlg.FileExt = "*";
        dlg.DisplayIcon = icons;
        run(dlg, [&](TListForm& f) {
            ASSERT_EQ(f.ListView1->rowCount(), 2);
            for (int i = 0; i < 2; ++i)
                EXPECT_EQ(!f.ListView1->item(i, 0)->icon().isNull(), icons) << i;
        });
    }
}

