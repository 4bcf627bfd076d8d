// Between the program's byte strings and the texts a window shows. File
// names and paths are bytes in the system code page; the program's own words
// are UTF-8 literals.
#pragma once

#include <QString>

#include <string>

namespace widgets {

// One of the program's own texts (a UTF-8 literal).
inline QString fromUtf8(const char* s) { return QString::fromUtf8(s); }

// A name or path, for display.
QString fromBytes(const std::string& bytes);

// What the user typed or a control holds, as the bytes a file call takes.
std::string toBytes(const QString& text);

}  // namespace widgets
