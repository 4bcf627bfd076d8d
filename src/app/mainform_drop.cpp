// Folders dropped on the window from a file manager.
#include "app/mainform.h"

#include "app/commandline.h"
#include "platform/fs.h"
#include "platform/hexdigit.h"
#include "widgets/guard.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

namespace {

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// The path of a file URL on this machine, its percent-escapes decoded to
// the bytes they stand for (a file manager escapes a name's bytes, valid
// in the locale or not). Nothing for another scheme, another host, or an
// escape that is none.
std::optional<std::string> localPath(std::string_view uri)
{
    if (!startsWithNoCase(uri, "file:"))
        return std::nullopt;
    uri.remove_prefix(5);
    if (uri.substr(0, 2) == "//") {
        uri.remove_prefix(2);
        const size_t slash = uri.find('/');
        if (slash == std::string_view::npos)
            return std::nullopt;
        const std::string_view host = uri.substr(0, slash);
        if (!host.empty() && !(host.size() == 9 && startsWithNoCase(host, "localhost")))
            return std::nullopt;
        uri.remove_prefix(slash);
    }
    if (uri.empty() || uri.front() != '/')
        return std::nullopt;
    uri = uri.substr(0, uri.find_first_of("?#"));
    std::string path;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] != '%') {
            path += uri[i];
            continue;
        }
        const int hi = i + 2 < uri.size() ? platform::hexDigitValue(uri[i + 1]) : -1;
        const int lo = hi >= 0 ? platform::hexDigitValue(uri[i + 2]) : -1;
        if (lo < 0)
            return std::nullopt;
        path += static_cast<char>(hi << 4 | lo);
        i += 2;
    }
    if (path.find('\0') != std::string::npos)
        return std::nullopt;
    return path;
}

// The first entry of a text/uri-list (lines that begin with "#" are
// comments), as a local path.
std::optional<std::string> firstLocalPath(const QByteArray& list)
{
    const std::string_view text(list.constData(), static_cast<size_t>(list.size()));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (!line.empty() && line.front() != '#')
            return localPath(line);
        start = end + 1;
    }
    return std::nullopt;
}

const QString kUriList = QStringLiteral("text/uri-list");

}  // namespace

void TMainForm::setUpDrops()
{
    setAcceptDrops(true);
    // A control that takes drops of its own is the drop's target when the
    // pointer is over it; the window answers for it when a folder comes.
    for (QWidget* w : findChildren<QWidget*>())
        if (w->acceptDrops())
            w->installEventFilter(this);
}

const std::optional<std::string>& TMainForm::draggedPath(const QDropEvent* e)
{
    const QMimeData* data = e->mimeData();
    if (e->type() == QEvent::DragEnter || data != dragData_) {
        // Looked at once per drag, not at every move of the pointer.
        dragData_ = data;
        dragPath_.reset();
        if (data && data->hasFormat(kUriList)) {
            auto path = firstLocalPath(data->data(kUriList));
            if (path && (platform::isFolder(*path) || platform::fileExists(*path)))
                dragPath_ = std::move(path);
        }
    }
    return dragPath_;
}

std::optional<std::string> TMainForm::answerDrag(QDropEvent* e)
{
    // Nothing is moved or copied: the source keeps its files whatever it
    // offered, so a move is never taken.
    const Qt::DropActions offered = e->possibleActions();
    const Qt::DropAction action = offered & Qt::CopyAction   ? Qt::CopyAction
                                  : offered & Qt::LinkAction ? Qt::LinkAction
                                                             : Qt::IgnoreAction;
    if (!draggedPath(e) || action == Qt::IgnoreAction) {
        e->ignore();
        return std::nullopt;
    }
    e->setDropAction(action);
    e->accept();
    return dragPath_;
}

void TMainForm::dragEnterEvent(QDragEnterEvent* e) { answerDrag(e); }

void TMainForm::dragMoveEvent(QDragMoveEvent* e) { answerDrag(e); }

void TMainForm::dropEvent(QDropEvent* e)
{
    const std::optional<std::string> path = answerDrag(e);
    dragData_ = nullptr;
    if (!path)
        return;
    // Chosen once the drop is over, so that the file manager is not kept
    // waiting by a long listing or by the error report.
    QTimer::singleShot(0, this, widgets::guard([this, p = *path] {
                           chooseFolder(app::folderNamedBy(p));
                       }));
}

bool TMainForm::eventFilter(QObject* watched, QEvent* e)
{
    switch (e->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(e);
        // A folder is the window's; text and the rest are the control's.
        if (!draggedPath(drop))
            break;
        if (e->type() == QEvent::Drop)
            dropEvent(drop);
        else
            answerDrag(drop);
        return true;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}
