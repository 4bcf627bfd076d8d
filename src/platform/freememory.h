// Memory the process freed but the allocator still holds.
#pragma once

namespace platform {

// Gives the free memory the allocator keeps between blocks in use back to
// the system. After a large piece of work whose many small blocks are gone
// (the names of a folder of a million files while they were sorted), that
// is tens of megabytes the process would otherwise keep for nothing.
void returnFreeMemory();

}  // namespace platform
