// Between the program's byte strings and the texts a window shows. File
// names and paths are bytes in the system code page; the program's own words
// are UTF-8 literals.
//
// The conversion of names is lossless: a byte that is not part of a valid
// character of the code page is shown as a stand-in of its own (a character
// of a private range, drawn as a box), and the stand-in turns back into the
// same byte. A name that holds a character of the stand-in range itself has
// those bytes shown as stand-ins too, so every byte string comes back
// exactly as it went in, and a stand-in typed by hand gives its byte.
#pragma once

#include "platform/codepage.h"

#include <QString>

#include <string>
#include <string_view>

namespace widgets {

// One of the program's own texts (a UTF-8 literal).
inline QString fromUtf8(const char* s) { return QString::fromUtf8(s); }

// A name or path, for display.
QString fromBytes(const std::string& bytes);
QString fromBytes(const std::string& bytes, platform::CodePage cp);
// The same, added to the end of `out`: many names into one text.
void appendBytes(QString& out, std::string_view bytes, platform::CodePage cp);

// What the user typed or a control holds, as the bytes a file call takes.
std::string toBytes(const QString& text);
std::string toBytes(const QString& text, platform::CodePage cp);

// The stand-in of the byte `b` (0x80 to 0xFF), and the byte a character
// stands for (-1 for a character that is no stand-in).
inline constexpr char16_t kStandInBase = 0xF700;
inline QChar standIn(unsigned char b) { return QChar(char16_t(kStandInBase + b)); }
inline int byteOfStandIn(QChar c)
{
    const char16_t u = c.unicode();
    return u >= kStandInBase + 0x80 && u <= kStandInBase + 0xFF ? int(u - kStandInBase) : -1;
}

}  // namespace widgets
