#include "app/undostate.h"

#include <QMetaObject>

namespace app {

UndoState::UndoState(QObject* parent) : QObject(parent) {}

UndoState::~UndoState()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
    // What the worker posted and this object did not take goes with it.
}

void UndoState::refresh(platform::FolderHandle folder, std::optional<std::string> own)
{
    {
        std::lock_guard lock(mutex_);
        next_ = Ask{++asked_, std::move(folder), std::move(own), renaming::journals::stateFolder(),
                    &platform::sys()};
    }
    if (!thread_.joinable())
        thread_ = std::thread([this] { work(); });
    wake_.notify_one();
}

void UndoState::settle(platform::FileId folder, std::optional<renaming::journals::LastRun> run)
{
    // A look under way began before this was known.
    if (looking())
        answered_ = ++asked_;
    run_ = std::move(run);
    folder_ = folder;
}

void UndoState::work()
{
    for (;;) {
        Ask ask;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || next_; });
            if (quit_)
                return;
            ask = std::move(*next_);
            next_.reset();
        }
        std::optional<renaming::journals::LastRun> run;
        try {
            const platform::ThreadSys use(*ask.sys);
            run = renaming::journals::runToUndo(ask.folder, ask.own, ask.state);
        } catch (...) {
            // Out of memory, say: nothing is offered.
        }
        QMetaObject::invokeMethod(
            this,
            [this, number = ask.number, run = std::move(run), folder = ask.folder.id()] {
                if (number != asked_)
                    return;  // a later look is on its way
                answered_ = number;
                run_ = run;
                folder_ = folder;
                if (onFound)
                    onFound();
            },
            Qt::QueuedConnection);
    }
}

}  // namespace app
