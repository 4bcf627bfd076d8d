// The folder a run acts in, as the decisions of the run and of its plan see
// it: what each name stands for on the disk right now.
#pragma once

#include "rename/plan.h"

namespace renaming {

class FolderOnDisk : public FolderView {
public:
    // The folder of the directory descriptor `dirFd`, which stays open for
    // the object's life.
    explicit FolderOnDisk(int dirFd);
    NameState state(const std::string& name) const override;
    bool readOnly(const std::string& name) const override;
    size_t nameMax() const override { return nameMax_; }

private:
    int dir_;
    size_t nameMax_;
};

}  // namespace renaming
