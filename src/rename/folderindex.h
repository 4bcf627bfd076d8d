// The folder as a plan of many entries sees it. Which names it holds comes
// from one read of the whole folder, kept as 64-bit hashes: a name whose
// hash is not among them is free without a look, which spares the file
// system a million lookups of new names that miss. A name whose hash is
// there is looked at, so two names with one hash never make a free name
// look taken, nor the other way round, and a look also tells a file's
// mode, a link's target and what a name stands for now.
#pragma once

#include "rename/filelooks.h"
#include "rename/folderondisk.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace renaming {

// The hashes of a set of names, sorted, with where each run of equal top
// bits starts: about 10 bytes a name.
class NameHashes {
public:
    using Hash = std::uint64_t (*)(std::string_view);
    static std::uint64_t defaultHash(std::string_view name);

    explicit NameHashes(Hash hash = defaultHash) : hash_(hash) {}
    void add(std::string_view name) { all_.push_back(hash_(name)); }
    // After the last add().
    void seal();
    // False only when no name added has `name`'s hash.
    bool mayHold(std::string_view name) const;
    size_t size() const { return all_.size(); }

private:
    Hash hash_;
    std::vector<std::uint64_t> all_;
    std::vector<std::uint32_t> starts_;
    int shift_ = 64;
};

class IndexedFolder : public FolderView {
public:
    // The folder of `dirFd`, which stays open for the object's life. The
    // first `directLooks` questions are each answered by a look, so that
    // the first entries of a plan are decided before the folder is read.
    explicit IndexedFolder(int dirFd, size_t directLooks = 8192, NameHashes::Hash hash = NameHashes::defaultHash);
    ~IndexedFolder();
    IndexedFolder(const IndexedFolder&) = delete;
    IndexedFolder& operator=(const IndexedFolder&) = delete;

    // The files of `entries` (which outlive this object) looked at on a
    // thread of their own ahead of a plan that asks for them in their order.
    // The folder does not change while a plan is made of it.
    void lookAhead(const std::vector<std::string>& entries);

    NameState state(const std::string& name) const override;
    bool readOnly(const std::string& name) const override { return disk_.readOnly(name); }
    NameState look(const std::string& name, bool& isReadOnly) const override;
    size_t nameMax() const override { return disk_.nameMax(); }
    bool foldsCase() const override { return disk_.foldsCase(); }

    // Whether the folder has been read (false where it could not be, or
    // where it compares names otherwise than byte for byte).
    bool indexed() const { return indexed_; }

private:
    // False when `name` is surely not in the folder.
    bool mayHold(const std::string& name) const;
    // The look taken ahead at `name`, when it is an entry's own string.
    bool lookedAhead(const std::string& name, FileLook& out) const;

    int dir_;
    FolderOnDisk disk_;
    mutable size_t directLeft_;
    mutable bool tried_ = false;
    mutable bool indexed_ = false;
    mutable NameHashes names_;
    const std::vector<std::string>* entries_ = nullptr;
    std::unique_ptr<LookAhead> ahead_;
};

}  // namespace renaming
