#include "support/geometry.h"

#include <QTabBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace testing_support {

namespace {

// Names are kept as text the table can point at for as long as the test runs.
const char* keep(const QString& s)
{
    static std::map<QString, std::string> names;
    return names.try_emplace(s, s.toStdString()).first->second.c_str();
}

std::string row(const Placed& p)
{
    std::ostringstream os;
    os << "{\"" << p.name << "\", \"" << p.parent << "\", {" << p.rect.x() << ", " << p.rect.y()
       << ", " << p.rect.width() << ", " << p.rect.height() << "}" << (p.hidden ? ", true" : "")
       << "},";
    return os.str();
}

}  // namespace

std::vector<Placed> namedGeometry(QWidget* window)
{
    std::vector<Placed> out;
    out.push_back({keep(window->objectName()), "", QRect(QPoint(0, 0), window->size()), false});
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        // A tab bar's scroll buttons are parts of the tab bar.
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || w->isWindow() ||
            qobject_cast<QTabBar*>(w->parentWidget()))
            continue;
        out.push_back({keep(name), keep(w->parentWidget()->objectName()), w->geometry(),
                       !w->isVisibleTo(window)});
    }
    return out;
}

void expectGeometry(QWidget* window, const std::vector<Placed>& expected, const std::string& what)
{
    const std::vector<Placed> seen = namedGeometry(window);
    bool same = seen.size() == expected.size();
    for (size_t i = 0; same && i < seen.size(); ++i)
        same = row(seen[i]) == row(expected[i]);
    if (same)
        return;
    std::string table;
    for (size_t i = 0; i < seen.size(); ++i) {
        const bool differs = i >= expected.size() || row(seen[i]) != row(expected[i]);
        table += (differs ? "  * " : "    ") + row(seen[i]) + "\n";
    }
    ADD_FAILURE() << what << ": the controls are not where the table puts them (rows marked *"
                  << " differ; " << expected.size() << " rows expected):\n" << table;
}

}  // namespace testing_support
