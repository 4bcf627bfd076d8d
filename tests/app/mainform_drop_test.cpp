// Folders dropped on the main window from a file manager: chosen from any
// part of the window, files standing for their folders; everything else
// refused.
#include "app/mainform_fixture.h"
#include "platform/fs.h"
#include "rename/ui/memo.h"
#include "support/modal.h"
#include "widgets/text.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

using namespace testing_support;

namespace {

using DropOnWindow = PickTest;

constexpr Qt::DropActions kFileManager = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

// Drags `data` over the window at the centre of the control `at` and drops
// it, as the window system delivers a drag: to the control under the
// pointer when it takes drops, else to its nearest parent that does. True
// when the drag was accepted and dropped.
bool dragAndDrop(TMainForm& form, const char* at, const QMimeData& data,
                 Qt::DropActions offered = kFileManager)
{
    auto* over = form.findChild<QWidget*>(QString::fromLatin1(at));
    EXPECT_NE(over, nullptr) << at;
    if (!over)
        return false;
    const QPoint pos = over->mapTo(&form, over->rect().center());
    QWidget* target = form.childAt(pos);
    if (!target)
        target = &form;
    while (!target->isWindow() && !target->acceptDrops())
        target = target->parentWidget();
    if (!target->acceptDrops())
        return false;
    const QPointF local = target->mapFrom(&form, pos);
    QDragEnterEvent enter(local.toPoint(), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(local.toPoint(), offered, &data, Qt::LeftButton, Qt::NoModifier);
    move.setAccepted(enter.isAccepted());
    move.setDropAction(enter.dropAction());
    QApplication::sendEvent(target, &move);
    if (!enter.isAccepted() || !move.isAccepted()) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(target, &leave);
        return false;
    }
    // Never a move: the file manager would take that as leave to delete.
    EXPECT_NE(move.dropAction(), Qt::MoveAction);
    QDropEvent drop(local, offered, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(move.dropAction());
    drop.setAccepted(true);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

std::unique_ptr<QMimeData> urls(const std::vector<std::string>& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> list;
    for (const auto& p : paths)
        list << QUrl::fromLocalFile(QString::fromUtf8(p.c_str()));
    data->setUrls(list);
    // File managers offer the paths as text as well.
    data->setText(QString::fromUtf8(paths.front().c_str()));
    return data;
}

std::unique_ptr<QMimeData> uriList(const QByteArray& bytes)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("text/uri-list"), bytes);
    return data;
}

// Where a user may let go of a folder: every part of the window.
const char* const kDropPlaces[] = {"FileListBox", "Memo2",     "EditDir",  "ButtonRename",
                                   "GroupBox1",   "Label1",    "ButtonDir", "StatusBar"};

TEST_F(DropOnWindow, FolderDroppedAnywhereOnTheWindowIsChosen)
{
    auto form = window({"w1.txt"});
    form->Memo2->setPlainText(QStringLiteral("line"));
    const std::string pick = work / "pick";
    for (const char* place : kDropPlaces) {
        SCOPED_TRACE(place);
        ASSERT_EQ(::chdir(work.path().c_str()), 0);
        form->EditDir->clear();
        form->FileListBox->SetFolder(work.path());
        const auto data = urls({pick});
        ASSERT_TRUE(dragAndDrop(*form, place, *data));
        ASSERT_TRUE(QTest::qWaitFor([&] { return fieldOf(*form) == pick; }));
        EXPECT_EQ(listed(*form), (std::vector<std::string>{"a.txt", "b.txt"}));
        EXPECT_EQ(platform::currentFolder().value(), pick);
        // The memo takes no text from a folder's drop.
        EXPECT_EQ(form->Memo2->toPlainText(), QStringLiteral("line"));
    }
}

TEST_F(DropOnWindow, DroppedFilesAndOddNames)
{
    const std::string odd = "\xFF\xFE" " x";
    work.mkdir(odd);
    writeFile(work / odd + "/in.txt", "i");
    const QByteArray oddUri = "file://" + QByteArray(work.path().c_str()) + "/%FF%FE%20x";
    struct Case {
        const char* what;
        QByteArray list;
        std::string chosen;
        std::vector<std::string> files;
    } const cases[] = {
        {"a file stands for its folder",
         QUrl::fromLocalFile(QString::fromUtf8((work / "pick/a.txt").c_str())).toEncoded(),
         work / "pick", {"a.txt", "b.txt"}},
        {"escaped bytes that are no UTF-8", oddUri + "\r\n", work / odd, {"in.txt"}},
        {"localhost and comments", "# from a file manager\r\nfile://localhost" +
                                       QByteArray((work / "pick").c_str()) + "\r\n",
         work / "pick", {"a.txt", "b.txt"}},
        {"the first of several", oddUri + "\r\nfile://" + QByteArray((work / "pick").c_str()),
         work / odd, {"in.txt"}},
    };
    auto form = window({"w1.txt"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form->FileListBox->SetFolder(work.path());
        form->EditDir->clear();
        const auto data = uriList(c.list);
        ASSERT_TRUE(dragAndDrop(*form, "FileListBox", *data));
        ASSERT_TRUE(QTest::qWaitFor([&] { return fieldOf(*form) == c.chosen; }));
        EXPECT_EQ(listed(*form), c.files);
    }
}

TEST_F(DropOnWindow, AnythingElseIsRefused)
{
    auto form = window({"w1.txt"});
    const QByteArray pick((work / "pick").c_str());
    struct Case {
        const char* what;
        std::function<std::unique_ptr<QMimeData>()> make;
        Qt::DropActions offered = kFileManager;
    } const cases[] = {
        {"text naming a folder",
         [&] {
             auto d = std::make_unique<QMimeData>();
             d->setText(QString::fromUtf8(pick));
             return d;
         }},
        {"a web address", [] { return uriList("https://example.org/photos/\r\n"); }},
        {"another machine's file", [&] { return uriList("file://elsewhere" + pick + "\r\n"); }},
        {"a folder that is not there", [&] { return uriList("file://" + pick + "/gone\r\n"); }},
        {"a broken escape", [&] { return uriList("file://" + pick + "%G0\r\n"); }},
        {"an escaped NUL", [&] { return uriList("file://" + pick + "%00\r\n"); }},
        {"no entries", [] { return uriList("# nothing\r\n"); }},
        {"a folder offered only to be moved", [&] { return uriList("file://" + pick + "\r\n"); },
         Qt::MoveAction},
    };
    for (const auto& c : cases) {
        for (const char* place : {"FileListBox", "EditDir", "ButtonDir", "GroupBox1"}) {
            SCOPED_TRACE(std::string(c.what) + " on " + place);
            const auto data = c.make();
            EXPECT_FALSE(dragAndDrop(*form, place, *data, c.offered));
            QCoreApplication::processEvents();
            EXPECT_EQ(form->EditDir->text(), QString());
            EXPECT_EQ(listed(*form), (std::vector<std::string>{"w1.txt"}));
        }
    }
}

TEST_F(DropOnWindow, TextDroppedOnTheMemoStaysTheMemos)
{
    auto form = window({"w1.txt"});
    auto data = std::make_unique<QMimeData>();
    data->setText(QStringLiteral("new name"));
    EXPECT_TRUE(dragAndDrop(*form, "Memo2", *data));
    EXPECT_EQ(form->Memo2->toPlainText(), QStringLiteral("new name"));
    EXPECT_EQ(form->EditDir->text(), QString());
}

}  // namespace
