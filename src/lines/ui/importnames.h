// "名前をファイルから読み込む": the names of a text, CSV or TSV file put into
// the memo in place of its text, as one edit its undo takes back whole.
// Problems are told in message boxes; the memo is then left as it was.
#pragma once

#include <QString>

class QWidget;

namespace renaming {
class NameList;
class TMemo;
}  // namespace renaming

namespace lines::ui {

// Asks for the file with a file chooser that opens in the list's folder.
void importNames(QWidget* owner, renaming::TMemo& memo, const renaming::NameList& list);

// Reads the file at `path`; for a table, asks which columns to read.
void importNamesFrom(const QString& path, QWidget* owner, renaming::TMemo& memo,
                     const renaming::NameList& list);

}  // namespace lines::ui
