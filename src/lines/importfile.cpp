#include "lines/importfile.h"

#include "platform/regularfile.h"

#include <cerrno>

namespace lines {

FileKind kindOfFile(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return FileKind::text;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (ext == "csv")
        return FileKind::csv;
    if (ext == "tsv" || ext == "tab")
        return FileKind::tsv;
    return FileKind::text;
}

ImportResult importFile(const std::string& path)
{
    ImportResult r;
    std::string bytes;
    if (const platform::Status read = platform::readRegularFile(path, kMaxImportBytes, bytes); !read) {
        const int err = read.error();
        r.problem = ImportProblem{err == EFBIG ? ImportProblem::Kind::tooLarge
                                               : ImportProblem::Kind::unreadable,
                                  err};
        return r;
    }
    DecodeResult d = decodeText(bytes);
    bytes = std::string();  // the text is all that is needed now
    if (!d.decoded) {
        r.problem = ImportProblem{ImportProblem::Kind::notText, 0};
        return r;
    }
    ImportedFile f;
    f.kind = kindOfFile(path);
    f.encoding = d.decoded->encoding;
    if (f.kind == FileKind::text)
        f.lines = splitLines(d.decoded->text);
    else
        f.rows = parseTable(d.decoded->text, f.kind == FileKind::csv ? u',' : u'\t');
    r.file = std::move(f);
    return r;
}

}  // namespace lines
