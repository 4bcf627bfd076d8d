// The folder a run acts in, as the decisions of the run and of its plan see
// it (what each name stands for on the disk right now), and as undo works
// in it.
#pragma once

#include "rename/journal.h"
#include "rename/plan.h"
#include "rename/undo.h"

#include <optional>

namespace renaming {

class FolderOnDisk : public FolderView {
public:
    // The folder of the directory descriptor `dirFd`, which stays open for
    // the object's life.
    explicit FolderOnDisk(int dirFd);
    NameState state(const std::string& name) const override;
    bool readOnly(const std::string& name) const override;
    // Asked of the file system once, when first needed.
    size_t nameMax() const override;
    // Probed at the first question: the run's own decisions never ask it.
    bool foldsCase() const override;
    NameState look(const std::string& name, bool& isReadOnly) const override;

private:
    int dir_;
    mutable size_t nameMax_ = 0;
    mutable std::optional<bool> folds_;
};

// The identity of the regular file `name` in the folder of `dirFd` (for a
// link to one, of the file it leads to, as the run sees it); nothing when
// the name is free or stands for anything else.
std::optional<platform::FileId> stampOf(int dirFd, const std::string& name);

class UndoOnDisk : public UndoFolder {
public:
    // The folder of `dirFd`, which stays open for the object's life.
    explicit UndoOnDisk(int dirFd) : dir_(dirFd) {}
    std::optional<platform::FileId> stamp(const std::string& name) const override;
    bool taken(const std::string& name) const override;
    bool plainFile(const std::string& name) const override;
    // Where the file system cannot rename without replacing, the file is
    // copied to its old name, which never replaces either, and then removed.
    platform::Status moveNoReplace(const std::string& from, const std::string& to) override;
    platform::Status remove(const std::string& name) override;
    bool sameBytes(const std::string& a, const std::string& b) const override;
    bool prefixOf(const std::string& part, const std::string& whole) const override;
    bool sameEntry(const std::string& a, const std::string& b) const override;
    // The scratch files of copies whose run is gone, as a run's start
    // removes them.
    void removeLeftovers() override;

private:
    int dir_;
};

}  // namespace renaming
