// Every name in a folder, from one read of it: what a question about a
// million names asks of the folder once instead of once a name.
#pragma once

#include "platform/status.h"

#include <functional>
#include <string_view>

namespace platform {

// Calls `onName` with each name of the folder of `dirFd` but "." and "..",
// in the folder's own order, as the directory read gives them; nothing is
// looked at beyond the folder itself.
using NameFn = std::function<void(std::string_view name)>;
Status forEachName(int dirFd, const NameFn& onName);

}  // namespace platform
