#include "app/runaside.h"

#include "rename/job.h"
#include "widgets/userinput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <exception>

namespace app {

namespace {

bool working = false;

bool isMouse(QEvent::Type t)
{
    return t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
           t == QEvent::MouseButtonDblClick || t == QEvent::MouseMove;
}

// Swallows the user's input for every object of the application, but what
// reaches the stop button; Esc, wherever it is pressed, presses that.
class InputBlocker : public QObject {
public:
    InputBlocker(QAbstractButton* stop, std::function<void()> onStop) : stop_(stop), onStop_(std::move(onStop)) {}

    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Close) {
            e->ignore();  // the window stays until the work is done
            return true;
        }
        if (!widgets::isUserInput(e->type()))
            return false;
        if (!stop_)
            return true;
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
            if (!static_cast<QKeyEvent*>(e)->isAutoRepeat())
                onStop_();
            return true;
        }
        return !reachesStop(o, e);
    }

private:
    bool reachesStop(QObject* o, QEvent* e) const
    {
        if (o == stop_)
            return true;
        // A window hands the mouse on to the widget under it, or to the one
        // that took the press: the stop button's press goes through, and so
        // does every release, which completes no click but on the widget
        // that took the press.
        if (!o->isWindowType() || !isMouse(e->type()))
            return false;
        if (e->type() == QEvent::MouseButtonRelease)
            return true;
        const auto* me = static_cast<QMouseEvent*>(e);
        const QWidget* under = QApplication::widgetAt(me->globalPosition().toPoint());
        return under == stop_;
    }

    QAbstractButton* stop_;
    std::function<void()> onStop_;
};

}  // namespace

bool workingAside() { return working; }

void driveJob(renaming::Job& job, const std::function<void()>& onTick, int everyMs, QAbstractButton* stopButton,
              const std::function<void()>& onStop)
{
    InputBlocker blocker(stopButton, onStop);
    QMetaObject::Connection pressed;
    if (stopButton)
        pressed = QObject::connect(stopButton, &QAbstractButton::clicked, [&onStop] { onStop(); });
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
    QObject::disconnect(pressed);
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
