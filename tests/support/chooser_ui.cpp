#include "support/modal_ui.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

namespace testui {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;

std::string pathAt(const QModelIndex& i)
{
    const QByteArray b = i.data(kPathRole).toByteArray();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

void closeLeftovers()
{
    for (int guard = 0; guard < 10; ++guard) {
        QWidget* m = QApplication::activeModalWidget();
        if (!m)
            return;
        if (auto* d = qobject_cast<QDialog*>(m))
            d->reject();
        else
            m->close();
        QApplication::processEvents();
    }
}
}  // namespace

void onModal(std::function<void(QWidget*)> act, QWidget* besides, int timeoutMs)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto waited = std::make_shared<int>(0);
    QPointer<QWidget> other(besides);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* m = QApplication::activeModalWidget();
        if (m && m != other.data() && m->isVisible()) {
            timer->stop();
            timer->deleteLater();
            QPointer<QWidget> seen(m);
            act(m);
            // A window the answer left open would hang the test.
            QTimer::singleShot(timeoutMs, [seen] {
                if (seen && seen->isVisible()) {
                    ADD_FAILURE() << "a modal window stayed open: "
                                  << seen->objectName().toStdString();
                    closeLeftovers();
                }
            });
            return;
        }
        if ((*waited += 10) > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal window opened";
        }
    });
    timer->start();
}

QPushButton* button(QWidget* w, const char* name)
{
    return w ? w->findChild<QPushButton*>(QString::fromLatin1(name)) : nullptr;
}

void press(QWidget* w, const char* name)
{
    QPushButton* b = button(w, name);
    if (!b) {
        ADD_FAILURE() << "no button " << name;
        closeLeftovers();
        return;
    }
    QTest::mouseClick(b, Qt::LeftButton);
}

QTreeView* chooserTree(QWidget* chooser)
{
    return chooser->findChild<QTreeView*>(QStringLiteral("FolderTree"));
}

std::string selectedPath(QWidget* chooser)
{
    QTreeView* t = chooserTree(chooser);
    return t ? pathAt(t->currentIndex()) : std::string();
}

QString selectedName(QWidget* chooser)
{
    QTreeView* t = chooserTree(chooser);
    return t ? t->currentIndex().data(Qt::DisplayRole).toString() : QString();
}

bool selectPath(QWidget* chooser, const std::string& path)
{
    QTreeView* t = chooserTree(chooser);
    if (!t)
        return false;
    QAbstractItemModel* m = t->model();
    QModelIndex at = m->index(0, 0);
    auto within = [](const std::string& p, const std::string& base) {
        if (base == "/")
            return true;
        return p.compare(0, base.size(), base) == 0 &&
               (p.size() == base.size() || p[base.size()] == '/');
    };
    // Open folders from the root down, choosing at each level the child
    // that holds the path (the deepest one, for the top's places).
    while (at.isValid() && pathAt(at) != path) {
        t->expand(at);
        if (m->canFetchMore(at))
            m->fetchMore(at);
        QModelIndex next;
        size_t best = 0;
        for (int r = 0; r < m->rowCount(at); ++r) {
            const QModelIndex c = m->index(r, 0, at);
            const std::string p = pathAt(c);
            if (!p.empty() && within(path, p) && (!next.isValid() || p.size() > best)) {
                next = c;
                best = p.size();
            }
        }
        at = next;
    }
    if (!at.isValid())
        return false;
    t->scrollTo(at);
    const QRect r = t->visualRect(at);
    if (r.isValid())
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
    if (t->currentIndex() != at)
        t->setCurrentIndex(at);
    return true;
}

}  // namespace testui
