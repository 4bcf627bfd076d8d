#include "rename/folderindex.h"

#include "platform/fs.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace renaming {

std::uint64_t NameHashes::defaultHash(std::string_view name) { return std::hash<std::string_view>{}(name); }

void NameHashes::seal()
{
    std::sort(all_.begin(), all_.end());
    all_.shrink_to_fit();
    // About four hashes a run: one cache line read a question.
    const size_t runs = std::bit_ceil(std::max<size_t>(all_.size() / 4, 1));
    shift_ = 64 - std::countr_zero(runs);
    starts_.assign(runs + 1, 0);
    size_t at = 0;
    for (size_t r = 0; r < runs; ++r) {
        starts_[r] = static_cast<std::uint32_t>(at);
        while (at < all_.size() && (shift_ == 64 ? 0 : all_[at] >> shift_) == r)
            ++at;
    }
    starts_[runs] = static_cast<std::uint32_t>(all_.size());
}

bool NameHashes::mayHold(std::string_view name) const
{
    if (starts_.empty())
        return false;
    const std::uint64_t h = hash_(name);
    const size_t r = shift_ == 64 ? 0 : static_cast<size_t>(h >> shift_);
    const auto first = all_.begin() + starts_[r], last = all_.begin() + starts_[r + 1];
    return std::find(first, last, h) != last;
}

IndexedFolder::IndexedFolder(int dirFd, size_t directLooks, NameHashes::Hash hash)
    : dir_(dirFd), disk_(dirFd), directLeft_(directLooks), names_(hash)
{
}

IndexedFolder::~IndexedFolder() = default;

void IndexedFolder::lookAhead(const std::vector<std::string>& entries)
{
    entries_ = &entries;
    ahead_ = std::make_unique<LookAhead>(dir_, entries);
}

bool IndexedFolder::lookedAhead(const std::string& name, FileLook& out) const
{
    if (!ahead_ || entries_->empty() || &name < &entries_->front() || &name > &entries_->back())
        return false;
    return ahead_->take(static_cast<size_t>(&name - &entries_->front()), out);
}

bool IndexedFolder::mayHold(const std::string& name) const
{
    if (directLeft_ > 0) {
        --directLeft_;
        return true;
    }
    if (!tried_) {
        tried_ = true;
        // A folder that matches names otherwise than byte for byte would
        // find names its listing spells another way: it is asked each time.
        if (disk_.foldsCase())
            return true;
        NameHashes read(names_);
        // A folder that can be searched but not read is asked each time too.
        if (!platform::forEachName(dir_, [&read](std::string_view n) { read.add(n); }))
            return true;
        read.seal();
        names_ = std::move(read);
        indexed_ = true;
    }
    return !indexed_ || names_.mayHold(name);
}

NameState IndexedFolder::state(const std::string& name) const
{
    bool readOnly = false;
    if (FileLook l; lookedAhead(name, l))
        return stateOf(l, readOnly);
    return mayHold(name) ? disk_.state(name) : NameState::missing;
}

NameState IndexedFolder::look(const std::string& name, bool& isReadOnly) const
{
    if (FileLook l; lookedAhead(name, l))
        return stateOf(l, isReadOnly);
    if (!mayHold(name)) {
        isReadOnly = false;
        return NameState::missing;
    }
    return disk_.look(name, isReadOnly);
}

}  // namespace renaming
