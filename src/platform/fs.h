// File-system services of the program: listing a folder, the current
// folder, and the no-overwrite file operations. Names are byte strings in
// the system code page; a bare name resolves against the current folder.
// Nothing here throws: each call reports success, and an errno value where
// a caller needs one.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

// --- listing -------------------------------------------------------------

// What the listing knows of one directory entry.
enum class EntryKind {
    plain,      // a regular file, or a symbolic link to one
    directory,  // a folder, or a symbolic link to one; also "." and ".."
    hidden,     // a name that starts with "."
    system,     // anything else: FIFO, socket, device, dangling link, a name
                // holding a line break, or a character the new-names editor
                // takes for one (it could not pair with one typed line)
};

// Classifies one entry of the open folder `dirFd` (its d_type may be
// DT_UNKNOWN, in which case the inode is looked at).
EntryKind classifyEntry(int dirFd, const char* name, unsigned char dType);

// Calls `onEntry` for every entry of `folder` with its kind, in the file
// system's own order. When `strict`, an entry whose kind cannot be looked at
// (other than a dangling link) fails the listing. Returns false with `err`
// set when the folder cannot be read.
bool forEachEntry(const std::string& folder,
                  const std::function<void(const char* name, size_t len, EntryKind kind)>& onEntry,
                  bool strict, int* err = nullptr);

// Calls `onFile` for every plain file of `folder`, in the file system's own
// order. Returns false with `err` set when the folder cannot be read.
bool listPlainFiles(const std::string& folder,
                    const std::function<void(const char* name, size_t len)>& onFile,
                    int* err = nullptr);

// --- folders -------------------------------------------------------------

bool enterFolder(const std::string& path, int* err = nullptr);
// Absolute path of the current folder; empty (with `err`) when unknown.
std::string currentFolder(int* err = nullptr);
bool isFolder(const std::string& path);  // exists and is a folder (links followed)
bool fileExists(const std::string& path);  // an entry that is not a folder
// Identity of a folder (device and inode), for "is this the same folder".
struct FolderId {
    unsigned long long dev = 0, ino = 0;
    bool operator==(const FolderId&) const = default;
};
bool folderId(const std::string& path, FolderId& id);

// --- errors --------------------------------------------------------------

// The input/output error text for a failed folder change, from errno.
std::string ioErrorMessage(int errnoValue);

}  // namespace platform
