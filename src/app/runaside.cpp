#include "app/runaside.h"

#include "rename/job.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <exception>


namespace app {

namespace {

bool working = false;

bool isUserInput(QEvent::Type t)
{
    switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::NativeGesture:
        return true;
    default:
        return false;
    }
}

// Swallows the user's input for every object of the application.
class InputBlocker : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Close) {
            e->ignore();  // the window stays until the work is done
            return true;
        }
        return isUserInput(e->type());
    }
};

}  // namespace

bool workingAside() { return working; }

void driveJob(renaming::Job& job, const std::function<void()>& onTick, int everyMs)
{
    InputBlocker blocker;
    qApp->installEventFilter(&blocker);
    working = true;
    QEventLoop loop;
    QTimer ticker;
    ticker.setInterval(everyMs);
    QObject::connect(&ticker, &QTimer::timeout, &loop, [&] { onTick(); });
    ticker.start();
    job.start([&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    loop.exec();
    ticker.stop();
    working = false;
    qApp->removeEventFilter(&blocker);
    std::exception_ptr thrown;
    try {
        job.wait();
    } catch (...) {
        thrown = std::current_exception();
    }
    onTick();
    if (thrown)
        std::rethrow_exception(thrown);
}

}  // namespace app
