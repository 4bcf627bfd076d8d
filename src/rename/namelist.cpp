#include "rename/namelist.h"

#include "platform/error.h"
#include "platform/freememory.h"
#include "platform/fs.h"
#include "rename/messages.h"
#include "rename/orderednames.h"

#include <cerrno>
#include <cstdio>

namespace renaming {

NameList::NameList(std::string locale)
    : locale_(std::move(locale)), folder_(platform::FolderHandle::current().value())
{
}

NameList::~NameList() = default;

const std::string& NameList::NameAt(int i) const
{
    if (i < 0 || i >= Count()) {
        char buf[128];
        std::snprintf(buf, sizeof buf, msg::kListIndexFormat, i);
        throw platform::ToolkitError(buf);
    }
    return entries_[static_cast<size_t>(i)];
}

const Collation& NameList::collation(Digits digits) const
{
    auto& made = digits == Digits::byValue ? byValue_ : byText_;
    if (!made)
        made = std::make_unique<Collation>(locale_, digits, platform::systemCodePage());
    return *made;
}

NameList::Read NameList::read(const platform::FolderHandle& handle) const
{
    Read r;
    OrderedNames names(
        collation(order_ == ListOrder::natural ? Digits::byValue : Digits::asText),
        order_ == ListOrder::modified, handle.fd());
    bool busy = false;
    const platform::Status read = platform::forEachEntry(
        handle.fd(),
        [&](const char* name, size_t len, platform::EntryKind kind) {
            if (kind != platform::EntryKind::plain && kind != platform::EntryKind::unpairable)
                return;
            if (!filter_.matches(name))
                return;
            if (kind == platform::EntryKind::unpairable) {
                ++r.unshown;
                return;
            }
            names.add(name, len);
            if (!busy && names.size() > 100) {
                busy = true;
                if (busyHook_)
                    busyHook_();
            }
        },
        /*strict=*/true);
    if (!read)
        throw platform::makeInOutError(read.error());
    r.names = names.take();
    return r;
}

void NameList::returnHome() const
{
    // By the open folder, never by its path, which may name another folder
    // by now. A folder that was removed can still be entered; a run in it
    // then fails for every entry instead of acting on another folder.
    folder_.enter();
}

void NameList::Reread()
{
    // No folder at all when the process started in one that had gone.
    if (!folder_)
        throw platform::makeInOutError(ENOENT);
    if (const platform::Status entered = folder_.enter(); !entered)
        throw platform::makeInOutError(entered.error());
    adopt(read(folder_));
}

void NameList::adopt(Read r)
{
    entries_ = std::move(r.names);
    unshown_ = r.unshown;
    // The sort of a large folder leaves its many small blocks free.
    if (entries_.size() > 10000)
        platform::returnFreeMemory();
}

void NameList::SetFolder(const std::string& path)
{
    if (path.empty())
        return;
    // Entering the folder is the check that it exists and may be entered;
    // a refused change leaves the process where it was.
    if (const platform::Status entered = platform::enterFolder(path); !entered)
        throw platform::makeInOutError(entered.error());
    // From here every failure returns to the list's folder by its handle.
    platform::Result<platform::FolderHandle> current = platform::FolderHandle::current();
    if (!current) {
        returnHome();
        throw platform::makeInOutError(current.error());
    }
    platform::FolderHandle next = std::move(current).value();
    if (folder_ && next.id() == folder_.id()) {
        // The folder already shown: go back and leave the list as it is.
        returnHome();
        return;
    }
    Read r;
    try {
        r = read(next);
    } catch (...) {
        returnHome();
        throw;
    }
    folder_ = std::move(next);
    adopt(std::move(r));
}

}  // namespace renaming
