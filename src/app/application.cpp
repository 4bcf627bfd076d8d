#include "app/application.h"

#include "platform/exepath.h"
#include "platform/freememory.h"
#include "widgets/guard.h"

#include <QEvent>
#include <QFileInfo>
#include <QHelpEvent>
#include <QProxyStyle>
#include <QToolTip>
#include <QWidget>

namespace {

// Hints appear after the mouse has rested 500 ms and go after 2500 ms.
constexpr int kHintPause = 500;
constexpr int kHintHide = 2500;

class HintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return kHintPause;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // A second run, and each preview of a large list, reuses the memory
    // the one before freed.
    platform::keepFreedMemory();
    const std::string exe = platform::executablePath();
    title_ = titleFromExecutable(exe.empty() ? QString::fromLocal8Bit(argc > 0 ? argv[0] : "meibo")
                                             : QString::fromLocal8Bit(exe.c_str()));
    // The caption of the general error report.
    setApplicationName(title_);
    setStyle(new HintStyle);
}

QString TApplication::titleFromExecutable(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    const int dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        if (event->type() == QEvent::ToolTip && receiver->isWidgetType()) {
            auto* w = static_cast<QWidget*>(receiver);
            if (!w->toolTip().isEmpty()) {
                auto* help = static_cast<QHelpEvent*>(event);
                QToolTip::showText(help->globalPos(), w->toolTip(), w, QRect(), kHintHide);
                return true;
            }
        }
        return QApplication::notify(receiver, event);
    } catch (...) {
        // Only what no handler's guard caught: an error raised by an event
        // handler of Qt's own classes.
        widgets::showError(std::current_exception());
    }
    return false;
}
