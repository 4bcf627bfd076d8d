#include "widgets/text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace widgets {

namespace {

bool allAscii(std::string_view s)
{
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool isStandInCodePoint(char32_t u) { return u >= kStandInBase + 0x80 && u <= kStandInBase + 0xFF; }

void appendUtf8Bytes(QString& out, std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out += QChar(char16_t(b));
            ++i;
            continue;
        }
        // Overlong forms, surrogates and code points beyond Unicode are no
        // characters: they get stand-ins, byte by byte.
        size_t len = 0;
        const char32_t u = platform::utf8CodePointAt(s, i, len);
        if (u == 0 || isStandInCodePoint(u)) {
            out += standIn(b);
            ++i;
            continue;
        }
        if (u >= 0x10000) {
            out += QChar(QChar::highSurrogate(u));
            out += QChar(QChar::lowSurrogate(u));
        } else {
            out += QChar(char16_t(u));
        }
        i += len;
    }
}

void appendUtf8(std::string& out, char32_t u)
{
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | u >> 6);
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | u >> 12);
        out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | u >> 18);
        out += static_cast<char>(0x80 | (u >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

std::string toUtf8Bytes(const QString& text)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (const int b = byteOfStandIn(c); b >= 0) {
            out += static_cast<char>(b);
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            appendUtf8(out, QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
        } else if (c.isSurrogate()) {
            // A lone half of a pair names no character; the editor cannot
            // produce one, and nothing of the user's is lost by dropping it.
            out += '?';
        } else {
            appendUtf8(out, c.unicode());
        }
    }
    return out;
}

// Shift-JIS (CP932): each character is decoded on its own, and kept only when it
// encodes back to the same bytes; the rest become stand-ins.
void appendCp932Bytes(QString& out, std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        const size_t n = platform::charLength(s, i, platform::CodePage::cp932);
        const auto b = static_cast<unsigned char>(s[i]);
        if (n == 1 && b < 0x80) {
            out += QChar(char16_t(b));
            ++i;
            continue;
        }
        const std::string_view ch = s.substr(i, n);
        QStringDecoder dec("CP932", QStringDecoder::Flag::Stateless);
        QStringEncoder enc("CP932", QStringEncoder::Flag::Stateless);
        QString text;
        bool ok = dec.isValid() && enc.isValid();
        if (ok) {
            text = dec(QByteArrayView(ch.data(), static_cast<qsizetype>(ch.size())));
            const QByteArray back = enc(text);
            ok = !dec.hasError() && !enc.hasError() && back.size() == static_cast<qsizetype>(n) &&
                 std::string(back.constData(), static_cast<size_t>(back.size())) == ch;
            for (const QChar c : text)
                if (byteOfStandIn(c) >= 0 || c == QChar::ReplacementCharacter)
                    ok = false;
        }
        if (ok) {
            out += text;
        } else {
            // A second byte may be plain ASCII: it stays itself.
            for (const char c : ch) {
                const auto byte = static_cast<unsigned char>(c);
                out += byte < 0x80 ? QChar(char16_t(byte)) : standIn(byte);
            }
        }
        i += n;
    }
}

std::string toCp932Bytes(const QString& text)
{
    std::string out;
    QStringEncoder enc("CP932", QStringEncoder::Flag::Stateless);
    QString run;
    auto flush = [&] {
        if (run.isEmpty())
            return;
        const QByteArray b = enc.isValid() ? enc(run) : run.toLatin1();
        out.append(b.constData(), static_cast<size_t>(b.size()));
        run.clear();
    };
    for (const QChar c : text) {
        // ASCII as it is: the converter maps some control bytes elsewhere.
        if (c.unicode() < 0x80) {
            flush();
            out += static_cast<char>(c.unicode());
        } else if (const int b = byteOfStandIn(c); b >= 0) {
            flush();
            out += static_cast<char>(b);
        } else {
            run += c;
        }
    }
    flush();
    return out;
}

}  // namespace

QString fromBytes(const std::string& bytes, platform::CodePage cp)
{
    if (allAscii(bytes))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    appendBytes(out, bytes, cp);
    return out;
}

void appendBytes(QString& out, std::string_view bytes, platform::CodePage cp)
{
    if (allAscii(bytes))
        out.append(QLatin1StringView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    else if (cp == platform::CodePage::cp932)
        appendCp932Bytes(out, bytes);
    else
        appendUtf8Bytes(out, bytes);
}

QString fromBytes(const std::string& bytes) { return fromBytes(bytes, platform::systemCodePage()); }

std::string toBytes(const QString& text, platform::CodePage cp)
{
    bool ascii = true;
    for (const QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        const QByteArray b = text.toLatin1();
        return std::string(b.constData(), static_cast<size_t>(b.size()));
    }
    if (cp == platform::CodePage::cp932)
        return toCp932Bytes(text);
    return toUtf8Bytes(text);
}

std::string toBytes(const QString& text) { return toBytes(text, platform::systemCodePage()); }

}  // namespace widgets
