#include "widgets/inputpause.h"

#include <QCoreApplication>
#include <QEvent>

namespace widgets {

namespace {

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

class Blocker : public QObject {
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

InputPause::InputPause() : filter_(std::make_unique<Blocker>())
{
    QCoreApplication::instance()->installEventFilter(filter_.get());
}

InputPause::~InputPause() { QCoreApplication::instance()->removeEventFilter(filter_.get()); }

void InputPause::turn() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace widgets
