// Answering modal windows in window tests the way a user would: wait for
// the window to open, act on it, and never leave one open.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <string>

class QPushButton;
class QTreeView;

namespace testui {

// Runs `act` on the next modal window other than `besides` once it is open.
// When none opens within `timeoutMs`, the test fails. A window still open
// `timeoutMs` after `act` is closed (and the test fails), so a test never
// hangs.
void onModal(std::function<void(QWidget*)> act, QWidget* besides = nullptr,
             int timeoutMs = 5000);

// Clicks the push button called `name` inside `w`; fails the test when
// there is none.
void press(QWidget* w, const char* name);
QPushButton* button(QWidget* w, const char* name);

// The folder chooser: its tree, the file-system path of the selected item
// (empty for the top), and walking to a path as a user opens folders and
// clicks one. False when the path is not in the tree.
QTreeView* chooserTree(QWidget* chooser);
std::string selectedPath(QWidget* chooser);
QString selectedName(QWidget* chooser);
bool selectPath(QWidget* chooser, const std::string& path);

}  // namespace testui
