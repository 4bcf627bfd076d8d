// What the edit menu's undo would take back in the list's folder, found on a
// thread of its own: the window's thread reads no journal, so that choosing
// a folder or opening the menu never waits for the disk. The window asks for
// a fresh look and goes on meanwhile with what the last one found.
#pragma once

#include "platform/folder.h"
#include "platform/syscalls.h"
#include "rename/journalstore.h"

#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace app {

class UndoState : public QObject {
public:
    explicit UndoState(QObject* parent = nullptr);
    // Waits for a look under way.
    ~UndoState() override;
    UndoState(const UndoState&) = delete;
    UndoState& operator=(const UndoState&) = delete;

    // Looks again, on the worker, for the run to take back in `folder` (a
    // handle of the look's own), where the window's own last run, when it
    // made one there, is `own` (journals::runToUndo). A look asked for while
    // one goes follows it; asked for twice, it is made once. The look makes
    // the calls of the Sys in force here, which is to outlive it.
    void refresh(platform::FolderHandle folder, std::optional<std::string> own);

    // What the window knows without a look (a run or an undo of its own
    // just ended): it stands in `folder` until a look asked for after it ends.
    void settle(platform::FileId folder, std::optional<renaming::journals::LastRun> run);

    // What the last look found, and in which folder.
    const std::optional<renaming::journals::LastRun>& run() const { return run_; }
    const platform::FileId& folder() const { return folder_; }
    // The last look asked for has not ended yet.
    bool looking() const { return answered_ != asked_; }

    // Called on the window's thread when the last look asked for has ended.
    std::function<void()> onFound;

private:
    struct Ask {
        uint64_t number = 0;
        platform::FolderHandle folder;
        std::optional<std::string> own;
        std::string state;
        platform::Sys* sys = nullptr;
    };
    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Ask> next_;
    bool quit_ = false;
    std::thread thread_;

    // The window's thread's own.
    uint64_t asked_ = 0;
    uint64_t answered_ = 0;
    std::optional<renaming::journals::LastRun> run_;
    platform::FileId folder_;
};

}  // namespace app
