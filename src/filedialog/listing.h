// The file list window's listing rules, free of any toolkit: the extension
// filter, the name pattern with its wildcards, the partial-match search, the
// listing of one folder under all of them, and which names typed in place
// keep a file in that listing.
#pragma once

#include "platform/codepage.h"

#include <string>
#include <string_view>
#include <vector>

namespace nx {

// Removes leading and trailing blanks and control characters.
std::string trimBlanks(std::string_view s);

// Lower-cases the ASCII letters of `s`, stepping over multibyte characters
// so that a second byte is never changed.
std::string lowerAscii(std::string_view s, platform::CodePage cp);

// "." + `fileExt` trimmed, lower-cased: "txt" and " TXT " give ".txt", "*"
// gives ".*" (every extension), "" gives "." and ".txt" gives "..txt".
std::string makeExtFilter(std::string_view fileExt, platform::CodePage cp);

// A file name split at its last ".": the name without that extension, and
// the extension with its dot, lower-cased (empty when there is no dot).
struct NameParts {
    std::string base;
    std::string ext;
};
NameParts splitName(std::string_view name, platform::CodePage cp);

// `dir` with a trailing "/" (a "/" that is part of a multibyte character
// does not count). An empty folder gives "/".
std::string withTrailingSeparator(std::string dir, platform::CodePage cp);

// The search pattern of a listing: folder + "*.*" with no mask, else
// folder + mask + ".*". `dirWithSep` ends in "/".
std::string listingPattern(const std::string& dirWithSep, const std::string& nameMask);

// Matches a name against a mask the way the classic file find does: letter
// case ignored; "*" any run of characters; "?" one character, or none at the
// end of the name or before a "."; a ".*" or ".?" ending also matches a name
// without a dot; "*.*" matches every name. Multibyte characters count as one.
bool matchesMask(std::string_view name, std::string_view mask, platform::CodePage cp);

// True when `searchText` is empty or occurs in `base`, letter case kept,
// starting on a character boundary.
bool containsSearchText(std::string_view base, std::string_view searchText, platform::CodePage cp);

// True when an entry's text typed in place can become the file's new name
// and the file stays listed: not empty, no "/" (which would move the file
// into another folder) and no leading "." (a hidden file, which no listing
// shows).
bool keepsTheFileListed(std::string_view entryText);

// One listed file: its name and the entry text (name without extension).
struct ListedFile {
    std::string name;
    std::string base;
};

// Lists the plain files that the pattern finds (folder part up to its last
// "/", name part matched by matchesMask), whose extension equals `extFilter`
// (or every extension for ".*") and whose base contains `searchText`, in the
// file system's own order. A folder that cannot be read gives nothing.
std::vector<ListedFile> listFiles(const std::string& pattern, const std::string& extFilter,
                                  const std::string& searchText, platform::CodePage cp);

}  // namespace nx
