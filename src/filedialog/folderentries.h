// What the chooser lists of one folder, and the new folder it makes there.
#pragma once

#include <string>
#include <vector>

namespace nx {

// What the chooser lists of one folder: its visible subfolders, and its
// visible plain files when asked. Names that start with "." are left out,
// as are devices, sockets and dangling links. The order is the file
// system's; false with `err` when the folder cannot be read.
struct FolderEntry {
    std::string name;
    bool folder = false;
};
bool listFolder(const std::string& path, bool includeFiles, std::vector<FolderEntry>& out,
                int* err = nullptr);

// Makes the new folder `name` inside `parent`; false with `err` on failure
// (an existing entry of that name is never replaced).
bool makeFolder(const std::string& parent, const std::string& name, int* err = nullptr);

}  // namespace nx
