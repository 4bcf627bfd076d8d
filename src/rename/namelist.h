// The current-names list: the plain files of one folder, sorted, as the
// bytes the directory gave. The list holds its folder open (a folder
// handle), and keeps the process's current folder equal to it, since the
// program has always handed bare names to the file calls. A run takes the
// handle, so that whatever happens to the folder's path, the run acts on
// the folder the list shows and on no other.
#pragma once

#include "platform/folder.h"
#include "rename/collation.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace renaming {

class NameList {
public:
    // Starts on the process's current folder; nothing is read yet.
    explicit NameList(std::shared_ptr<const Collation> collation = libcCollation());

    int Count() const { return static_cast<int>(entries_.size()); }
    // Raises ToolkitError "リストのインデックスが範囲を超えています (i)" out of range.
    const std::string& NameAt(int i) const;
    const std::vector<std::string>& entries() const { return entries_; }
    // The folder's path as the platform reported it when the list was
    // pointed at it.
    const std::string& Folder() const { return folder_.path(); }
    // The folder itself, held open.
    const platform::FolderHandle& folder() const { return folder_; }

    // Points the list at `path` and reads it; does nothing for an empty path
    // or for the folder already shown (same device and inode). Raises
    // InOutError when the folder cannot be entered or read; the list, its
    // folder and the process's current folder stay as they were then.
    void SetFolder(const std::string& path);

    // Enters the folder and reads it again. Raises InOutError when the folder
    // cannot be entered or read (a folder that was removed cannot); the
    // entries stay as they were then.
    void Reread();

    // Called once during a read that lists more than 100 entries, so that
    // the window can show the busy cursor.
    void setBusyHook(std::function<void()> hook) { busyHook_ = std::move(hook); }

private:
    // Reads the folder of `handle` into sorted names; raises InOutError.
    std::vector<std::string> read(const platform::FolderHandle& handle) const;
    // Back into the list's own folder after a failed step.
    void returnHome() const;

    std::shared_ptr<const Collation> collation_;
    platform::FolderHandle folder_;
    std::vector<std::string> entries_;
    std::function<void()> busyHook_;
};

}  // namespace renaming
