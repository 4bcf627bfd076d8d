// Listing a folder, and the questions the program asks about folders and
// paths: entering one, the current one, whether a path is a folder or a
// file. Names are byte strings in the system code page; a bare name or a
// relative path resolves against the current folder, or, for the forms that
// take a directory descriptor, in that folder. Nothing here throws: each
// call reports success, and an errno value where a caller needs one. (The
// file operations are in fileops.h, the folder handle in folder.h.)
#pragma once

#include "platform/error.h"  // ioErrorMessage, which callers reach through here
#include "platform/folder.h"
#include "platform/status.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// --- listing -------------------------------------------------------------

// What the listing knows of one directory entry.
enum class EntryKind {
    plain,      // a regular file, or a symbolic link to one
    directory,  // a folder, or a symbolic link to one; also "." and ".."
    hidden,     // a name that starts with "."
    system,     // anything else: FIFO, socket, device, dangling link, or an
                // entry of those kinds whose name holds a line break
    unpairable, // a plain file whose name holds a line break, or a character
                // the new-names editor takes for one: no typed line could
                // pair with it, so it is never listed, only counted
};

// Calls `onEntry` for every entry of `folder` with its kind, in the file
// system's own order. When `strict`, an entry whose kind cannot be looked at
// (other than a dangling link) fails the listing. A failure when the folder
// cannot be read.
using EntryFn = std::function<void(const char* name, size_t len, EntryKind kind)>;
Status forEachEntry(const std::string& folder, const EntryFn& onEntry, bool strict);
// The same for the open folder `dirFd`. A folder that has been removed
// cannot be read (ENOENT), although the system lists it as empty.
Status forEachEntry(int dirFd, const EntryFn& onEntry, bool strict);

// Calls `onName` with each name of the folder of `dirFd` but "." and "..",
// in the folder's own order, as the directory read gives them; nothing is
// looked at beyond the folder itself: what a question about a million names
// asks of the folder once instead of once a name.
using NameFn = std::function<void(std::string_view name)>;
Status forEachName(int dirFd, const NameFn& onName);

// Calls `onFile` for every plain file of `folder`, in the file system's own
// order. A failure when the folder cannot be read.
using FileFn = std::function<void(const char* name, size_t len)>;
Status listPlainFiles(const std::string& folder, const FileFn& onFile);
Status listPlainFiles(int dirFd, const FileFn& onFile);

// True when `name` holds a line break or a character the new-names editor
// takes for one.
bool breaksALine(std::string_view name);

// --- folders -------------------------------------------------------------

Status enterFolder(const std::string& path);
// Absolute path of the current folder; a failure when unknown.
Result<std::string> currentFolder();
bool isFolder(const std::string& path);  // exists and is a folder (links followed)
bool fileExists(const std::string& path);  // an entry that is not a folder
// Identity of the folder at `path` (links followed); false for no folder.
bool folderId(const std::string& path, FileId& id);

// --- letter case ---------------------------------------------------------

// Whether the file system of the open folder `dirFd` takes names that differ
// only in the case of ASCII letters for one name, as vfat and exFAT do, FUSE
// mounts of them too. Only the folder can tell (a vfat mount with
// iocharset=utf8 tells case apart), so a name of the folder is looked up with
// its letters' case swapped; a folder with no such name is asked with a
// scratch file of the program's pattern, made and removed at once. False when
// nothing can be asked.
bool foldsCase(int dirFd);

// `name` as a folding file system compares it: every byte that is an ASCII
// letter in lower case, all else as it is. vfat folds byte by byte through
// its I/O character set, which pairs two UTF-8 names only where they differ
// in ASCII letters.
// exFAT folds by the volume's up-case table, which pairs accented, Greek,
// Cyrillic and full-width letters too; those are left apart here, so two new
// names differing only in them are planned as two, and there the run fails
// the second (it never replaces).
std::string caseFolded(std::string name);

}  // namespace platform
