// The main window on a scratch folder, as the window tests drive it: made
// on the files a test names, its buttons clicked and its status line read
// as a user does.
#pragma once

#include "app/mainform.h"
#include "app/undostate.h"
#include "rename/ui/filelistbox.h"
#include "support/faultsys.h"
#include "support/programhome.h"
#include "support/scratch.h"
#include "widgets/text.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <string>
#include <vector>

namespace testing_support {

inline const QString kPrompt = QString::fromUtf8(
    "Renameしたいファイルがあるフォルダを選択して、Renameボタンを押してください");

inline QString u8(const char* s) { return QString::fromUtf8(s); }

// What the status line shows.
inline QString statusLine(const TMainForm& form)
{
    const auto* label = form.findChild<QLabel*>(QStringLiteral("SimpleText"));
    return label ? label->text() : QString();
}

// Waits until the look for a run to take back, made off the window's thread
// as a folder is chosen, a run ends or the edit menu opens, has ended, and
// what it found is shown (the offer of a run cut short answered too). Before
// a Sys of the test's goes: the look makes the calls of the Sys it began with.
inline void settleUndo(TMainForm& form)
{
    auto* state = static_cast<app::UndoState*>(form.findChild<QObject*>(QStringLiteral("UndoState")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !state || !state->looking(); }, 30000));
}

class WindowTest : public ProgramInScratch {
protected:
    // A window on the work folder, which holds `files` when it is made.
    std::unique_ptr<TMainForm> window(const std::vector<std::string>& files,
                                      const std::vector<std::string>& readOnly = {})
    {
        for (const auto& f : files)
            writeFile(work / f, "content of " + f);
        for (const auto& f : readOnly)
            ::chmod((work / f).c_str(), 0444);
        auto form = std::make_unique<TMainForm>();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }

    static void click(TMainForm& form, const char* name)
    {
        auto* w = form.findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        QTest::mouseClick(w, Qt::LeftButton);
    }

    static std::vector<std::string> listed(TMainForm& form)
    {
        std::vector<std::string> out;
        for (int i = 0; i < form.FileListBox->Count(); ++i)
            out.push_back(form.FileListBox->NameAt(i));
        return out;
    }

    // What a user reads in the folder field, as bytes.
    static std::string fieldOf(TMainForm& form) { return widgets::toBytes(form.EditDir->text()); }
};

// A disk whose first rename waits until `act` has been done on the window's
// thread: what a user does while a run or an undo goes. The events `act`
// posts are delivered before the rename goes on.
class HeldDisk : public FaultSys {
public:
    HeldDisk(QObject* window, std::function<void()> act) : window_(window), act_(std::move(act)) {}
    bool delivered() const { return delivered_; }
    int renameat2(int od, const char* op, int nd, const char* np, unsigned flags) override
    {
        if (act_) {
            auto act = std::move(act_);
            act_ = nullptr;
            QMetaObject::invokeMethod(
                window_,
                [this, act] {
                    act();
                    delivered_ = true;
                },
                Qt::QueuedConnection);
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (!delivered_ && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return FaultSys::renameat2(od, op, nd, np, flags);
    }

private:
    QObject* window_;
    std::function<void()> act_;
    std::atomic<bool> delivered_ = false;
};

// A window test with a folder "pick" of two files beside the work folder's,
// for choosing from outside the window.
class PickTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        work.mkdir("pick");
        writeFile(work / "pick/b.txt", "b");
        writeFile(work / "pick/a.txt", "a");
    }
};

}  // namespace testing_support
