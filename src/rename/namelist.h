// The current-names list: the plain files of one folder, sorted, as the
// bytes the directory gave. Its folder is kept equal to the process's
// current folder, since the rename run hands bare names to the file calls.
#pragma once

#include "platform/fs.h"
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
    const std::string& Folder() const { return folder_; }

    // Points the list at `path` and reads it; does nothing for an empty path
    // or for the folder already shown (same device and inode). Raises
    // InOutError when the folder cannot be entered; nothing changes then.
    void SetFolder(const std::string& path);

    // Enters the folder and reads it again. Raises InOutError when the folder
    // cannot be entered or read; the entries stay as they were then.
    void Reread();

    // Called once during a read that lists more than 100 entries, so that
    // the window can show the busy cursor.
    void setBusyHook(std::function<void()> hook) { busyHook_ = std::move(hook); }
    void setCollation(std::shared_ptr<const Collation> c) { collation_ = std::move(c); }

    // Sorts names in the list's order (exposed for the window's own tests).
    void sortNames(std::vector<std::string>& names) const;

private:
    std::shared_ptr<const Collation> collation_;
    std::string folder_;
    std::vector<std::string> entries_;
    std::function<void()> busyHook_;
};

}  // namespace renaming
