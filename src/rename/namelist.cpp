#include "rename/namelist.h"

#include "platform/error.h"
#include "platform/syscalls.h"
#include "rename/messages.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace renaming {

NameList::NameList(std::shared_ptr<const Collation> collation)
    : collation_(std::move(collation)), folder_(platform::currentFolder())
{
}

const std::string& NameList::NameAt(int i) const
{
    if (i < 0 || i >= Count()) {
        char buf[128];
        std::snprintf(buf, sizeof buf, msg::kListIndexFormat, i);
        throw platform::ToolkitError(buf);
    }
    return entries_[static_cast<size_t>(i)];
}

void NameList::sortNames(std::vector<std::string>& names) const
{
    collation_->sort(names);
}

void NameList::Reread()
{
    int err = 0;
    if (!platform::enterFolder(folder_, &err))
        throw platform::makeInOutError(err);
    std::vector<std::string> names;
    bool busy = false;
    if (!platform::listPlainFiles(
            ".",
            [&](const char* name, size_t len) {
                names.emplace_back(name, len);
                if (!busy && names.size() > 100) {
                    busy = true;
                    if (busyHook_)
                        busyHook_();
                }
            },
            &err))
        throw platform::makeInOutError(err);
    sortNames(names);
    entries_.swap(names);
}

void NameList::SetFolder(const std::string& path)
{
    if (path.empty())
        return;
    auto& s = platform::sys();
    // Check that the folder can be entered, and come back.
    const int here = s.open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int err = 0;
    if (!platform::enterFolder(path, &err)) {
        if (here >= 0)
            s.close(here);
        throw platform::makeInOutError(err);
    }
    platform::FolderId newId, oldId;
    const bool haveNew = platform::folderId(".", newId);
    const bool same = haveNew && platform::folderId(folder_, oldId) && newId == oldId;
    if (same) {
        // The folder already shown: go back and leave the list as it is.
        if (here >= 0)
            s.fchdir(here);
        else
            platform::enterFolder(folder_);
        if (here >= 0)
            s.close(here);
        return;
    }
    std::string now = platform::currentFolder(&err);
    if (now.empty()) {
        if (here >= 0)
            s.fchdir(here);
        else
            platform::enterFolder(folder_);
        if (here >= 0)
            s.close(here);
        throw platform::makeInOutError(err);
    }
    if (here >= 0)
        s.close(here);
    const std::string previous = folder_;
    folder_ = now;
    try {
        Reread();
    } catch (...) {
        folder_ = previous;
        platform::enterFolder(previous);
        throw;
    }
}

}  // namespace renaming
