#include "support/chooser.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

namespace testing_support {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;

std::string pathAt(const QModelIndex& i)
{
    const QByteArray b = i.data(kPathRole).toByteArray();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

}  // namespace

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

}  // namespace testing_support
