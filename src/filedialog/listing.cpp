#include "filedialog/listing.h"

#include "platform/fs.h"

#include <cstdint>

namespace nx {

using platform::CodePage;

std::string trimBlanks(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20)
        --e;
    return std::string(s.substr(b, e - b));
}

std::string lowerAscii(std::string_view s, CodePage cp)
{
    std::string out(s);
    for (size_t i = 0; i < out.size();) {
        const size_t n = platform::charLength(out, i, cp);
        if (n == 1 && out[i] >= 'A' && out[i] <= 'Z')
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
        i += n;
    }
    return out;
}

std::string makeExtFilter(std::string_view fileExt, CodePage cp)
{
    return lowerAscii("." + trimBlanks(fileExt), cp);
}

NameParts splitName(std::string_view name, CodePage cp)
{
    const size_t dot = platform::findLastChar(name, ".", cp);
    if (dot == std::string_view::npos)
        return {std::string(name), {}};
    return {std::string(name.substr(0, dot)), lowerAscii(name.substr(dot), cp)};
}

std::string withTrailingSeparator(std::string dir, CodePage cp)
{
    if (!platform::endsWithChar(dir, '/', cp))
        dir += '/';
    return dir;
}

std::string listingPattern(const std::string& dirWithSep, const std::string& nameMask)
{
    return nameMask.empty() ? dirWithSep + "*.*" : dirWithSep + nameMask + ".*";
}

namespace {

// One token of a mask after the classic find's translation of its wildcards.
enum class Tok : uint8_t {
    literal,
    star,     // any run of characters
    dosStar,  // a "*" before a ".": any run that leaves the name's last "."
    dosQm,    // "?": one character other than ".", or none before a "." or the end
    dosDot,   // a "." before a wildcard: a "." or, at the end, nothing
};

struct Token {
    Tok kind;
    std::string_view text;  // the character of a literal
};

std::vector<std::string_view> characters(std::string_view s, CodePage cp)
{
    std::vector<std::string_view> out;
    for (size_t i = 0; i < s.size();) {
        const size_t n = platform::charLength(s, i, cp);
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

bool sameChar(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    if (a.size() == 1) {
        auto low = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return low(a[0]) == low(b[0]);
    }
    return a == b;
}

bool isDot(std::string_view c) { return c.size() == 1 && c[0] == '.'; }

}  // namespace

bool matchesMask(std::string_view name, std::string_view mask, CodePage cp)
{
    if (mask == "*.*" || mask == "*")
        return true;
    const auto mc = characters(mask, cp);
    std::vector<Token> toks;
    for (size_t i = 0; i < mc.size(); ++i) {
        const std::string_view c = mc[i];
        const bool nextWild =
            i + 1 < mc.size() && (mc[i + 1] == "*" || mc[i + 1] == "?");
        if (c == "?")
            toks.push_back({Tok::dosQm, {}});
        else if (c == "*")
            toks.push_back({i + 1 < mc.size() && isDot(mc[i + 1]) ? Tok::dosStar : Tok::star, {}});
        else if (isDot(c) && nextWild)
            toks.push_back({Tok::dosDot, {}});
        else
            toks.push_back({Tok::literal, c});
    }
    const auto nc = characters(name, cp);
    const size_t N = nc.size(), P = toks.size();
    size_t lastDot = N;  // N: no dot
    for (size_t i = 0; i < N; ++i)
        if (isDot(nc[i]))
            lastDot = i;

    // memo[ni * (P + 1) + pi]: 0 unknown, 1 no, 2 yes.
    std::vector<uint8_t> memo((N + 1) * (P + 1), 0);
    auto match = [&](auto& self, size_t ni, size_t pi) -> bool {
        uint8_t& m = memo[ni * (P + 1) + pi];
        if (m)
            return m == 2;
        bool r = false;
        if (pi == P) {
            r = ni == N;
        } else {
            const Token& t = toks[pi];
            switch (t.kind) {
            case Tok::literal:
                r = ni < N && sameChar(nc[ni], t.text) && self(self, ni + 1, pi + 1);
                break;
            case Tok::star:
                for (size_t k = ni; k <= N && !r; ++k)
                    r = self(self, k, pi + 1);
                break;
            case Tok::dosStar:
                for (size_t k = ni; k <= N && !r; ++k) {
                    r = self(self, k, pi + 1);
                    if (k == lastDot)
                        break;  // the name's last "." is never swallowed
                }
                break;
            case Tok::dosQm:
                if (ni == N || isDot(nc[ni]))
                    r = self(self, ni, pi + 1);
                else
                    r = self(self, ni + 1, pi + 1);
                break;
            case Tok::dosDot:
                if (ni < N && isDot(nc[ni]))
                    r = self(self, ni + 1, pi + 1);
                else
                    r = ni == N && self(self, ni, pi + 1);
                break;
            }
        }
        m = r ? 2 : 1;
        return r;
    };
    return match(match, 0, 0);
}

bool containsSearchText(std::string_view base, std::string_view searchText, CodePage cp)
{
    return searchText.empty() ||
           platform::findOnBoundary(base, searchText, cp) != std::string_view::npos;
}

bool keepsTheFileListed(std::string_view entryText)
{
    // Bytes, not characters: the system splits a path at every 0x2F byte,
    // and no double-byte character of either code page holds one.
    return !entryText.empty() && entryText.front() != '.' &&
           entryText.find('/') == std::string_view::npos;
}

std::vector<ListedFile> listFiles(const std::string& pattern, const std::string& extFilter,
                                  const std::string& searchText, CodePage cp)
{
    const size_t sep = platform::findLastChar(pattern, "/", cp);
    const std::string folder = sep == std::string::npos ? std::string() : pattern.substr(0, sep + 1);
    const std::string mask = sep == std::string::npos ? pattern : pattern.substr(sep + 1);
    const bool anyExt = extFilter == ".*";
    std::vector<ListedFile> out;
    const platform::Status read = platform::listPlainFiles(folder, [&](const char* name, size_t len) {
        const std::string_view n(name, len);
        if (!matchesMask(n, mask, cp))
            return;
        NameParts parts = splitName(n, cp);
        if (!anyExt && parts.ext != extFilter)
            return;
        if (!containsSearchText(parts.base, searchText, cp))
            return;
        out.push_back({std::string(n), std::move(parts.base)});
    });
    // A folder that cannot be read in full lists nothing, as one that cannot
    // be read at all: a partial list would look complete.
    if (!read)
        out.clear();
    return out;
}

}  // namespace nx
