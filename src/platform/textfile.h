// Small files of the program's own, named by path (its journals): made
// exclusively and held locked while they are written, so that another copy
// of the program can tell a file still being written from one left behind;
// read from their start; added to after their last whole line; removed.
// Links are never followed to them. Nothing here throws.
#pragma once

#include "platform/status.h"
#include "platform/uniquefd.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The program's own process number, as the names of its files give it.
long processId();

// Makes the file `path` (it must not exist yet: EEXIST), open for reading
// and writing (not O_APPEND: an AppendFile writes at offsets of its own),
// and locks it for as long as the descriptor stays open.
// Where the file system keeps no locks, the file is made all the same.
Result<UniqueFd> createLocked(const std::string& path);

// True while the lock createLocked took on `path` is held: the file is still
// being written, by this process or another live one.
bool lockHeld(const std::string& path);

// Up to `limit` bytes from the start of the file at `path` (all of it when
// `limit` is 0); nothing when it cannot be read.
std::optional<std::string> readHead(const std::string& path, size_t limit = 0);

// The start and the end of the file at `path`, for a file that may be too
// large to read whole: up to `limit` bytes from its start, and up to `limit`
// bytes ending where its trailing zero bytes begin (the room a writer takes
// ahead, which a kill leaves), with the offset they start at. Where the file
// is no larger than `limit`, `head` holds it whole and `tail` is empty.
struct FileEnds {
    std::string head;
    std::string tail;
    uint64_t tailAt = 0;
    bool whole = false;
};
std::optional<FileEnds> readEnds(const std::string& path, size_t limit);

// Cuts what follows the last line break of the file at `path` (a line a
// kill left half written, zero bytes), adds `text` and puts the file on the
// disk. Refused (EBUSY) while the file's lock is held.
Status appendAfterWholeLines(const std::string& path, std::string_view text);

// Removes the file at `path` unless its lock is held.
bool removeUnlocked(const std::string& path);

// Puts the file at `path`, and its name in its folder, on the disk on a
// thread of its own and returns at once: for a file whose writer is done with it and need not wait for the
// disk. A program that ends meanwhile loses nothing the disk would not lose
// to a power cut a moment before.
void syncAside(const std::string& path);

}  // namespace platform
