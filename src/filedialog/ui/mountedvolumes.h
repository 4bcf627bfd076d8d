// The volumes mounted now, as the toolkit lists them.
#pragma once

#include "filedialog/places.h"

#include <vector>

namespace nx {

// Every mounted volume that is ready, with its mount point as bytes.
std::vector<Volume> mountedVolumes();

}  // namespace nx
