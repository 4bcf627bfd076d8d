// The folder chooser in window tests: its tree, the file-system path of the
// selected item (empty for the top), and walking to a path as a user opens
// folders and clicks one.
#pragma once

#include "support/modal.h"

#include <QString>

#include <string>

class QTreeView;
class QWidget;

namespace testing_support {

QTreeView* chooserTree(QWidget* chooser);
std::string selectedPath(QWidget* chooser);
QString selectedName(QWidget* chooser);
// False when the path is not in the tree.
bool selectPath(QWidget* chooser, const std::string& path);

}  // namespace testing_support
