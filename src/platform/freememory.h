// Memory the process freed but the allocator still holds.
#pragma once

namespace platform {

// Gives the free memory the allocator keeps between blocks in use back to
// the system. After a large piece of work whose many small blocks are gone
// (the names of a folder of a million files while they were sorted), that
// is tens of megabytes the process would otherwise keep for nothing.
void returnFreeMemory();

// Lets the allocator keep up to 16 MiB of what a piece of work freed,
// blocks of up to that size included, for the next one. Each page the
// system hands out anew costs a fault when it is first written: a run over
// ten thousand files takes some megabytes, on some machines at 10 µs and
// more a page, again at every press if they went back at every end. Called
// once, at the start.
void keepFreedMemory();

}  // namespace platform
