// The current-names list: the plain files of one folder, sorted, as the
// bytes the directory gave. The list holds its folder open (a folder
// handle), and keeps the process's current folder equal to it, since the
// program has always handed bare names to the file calls. A run takes the
// handle, so that whatever happens to the folder's path, the run acts on
// the folder the list shows and on no other.
#pragma once

#include "platform/folder.h"
#include "rename/collation.h"
#include "rename/namefilter.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace renaming {

// The order of the list. The numbers are those the settings file keeps.
enum class ListOrder {
    name = 0,      // by name in the user's language, letter case ignored
    natural = 1,   // the same, with runs of digits compared by value
    modified = 2,  // oldest first; files of one time by name
};

class NameList {
public:
    // Starts on the process's current folder; nothing is read yet. Names
    // are ordered as the collation locale `locale` orders them (see
    // platform::collationLocale).
    explicit NameList(std::string locale = platform::collationLocale());
    ~NameList();

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

    // The order and the filter of the reads to come; the entries stay as
    // they are until the next read.
    void setOrder(ListOrder order) { order_ = order; }
    ListOrder order() const { return order_; }
    void setFilter(NameFilter filter) { filter_ = std::move(filter); }
    const NameFilter& filter() const { return filter_; }

    // Plain files that the filter shows but the list cannot: a name holding
    // a line break could pair with no typed line. Counted by the last read.
    int Unshown() const { return unshown_; }

    // Called once during a read that lists more than 100 entries, so that
    // the window can show the busy cursor.
    void setBusyHook(std::function<void()> hook) { busyHook_ = std::move(hook); }

private:
    struct Read {
        std::vector<std::string> names;
        int unshown = 0;
    };
    // Reads the folder of `handle` into sorted names; raises InOutError.
    Read read(const platform::FolderHandle& handle) const;
    const Collation& collation(Digits digits) const;
    // The names of a read become the list's.
    void adopt(Read r);
    // Back into the list's own folder after a failed step.
    void returnHome() const;

    std::string locale_;
    // Made on first use, one for each way of comparing digits.
    mutable std::unique_ptr<Collation> byText_, byValue_;
    ListOrder order_ = ListOrder::name;
    NameFilter filter_;
    platform::FolderHandle folder_;
    std::vector<std::string> entries_;
    int unshown_ = 0;
    std::function<void()> busyHook_;
};

}  // namespace renaming
