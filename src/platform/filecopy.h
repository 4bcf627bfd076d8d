// The copy that never overwrites, and its steps: open the source, open the
// target (a TempFile), copy the data and the attributes, publish (the
// target's keep, which never replaces an entry). A copy is of the source as
// it was when it was opened: a source that changes while it is copied (cut
// short, grown, written over) fails the copy, and the copy never appears.
// Names are byte strings resolved in the folder of the descriptor given with
// them (AT_FDCWD: the current folder). Nothing here throws.
#pragma once

#include "platform/nameinfo.h"
#include "platform/status.h"
#include "platform/tempfile.h"
#include "platform/uniquefd.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// Called now and then while a copy's data moves, after about every `bytes`
// bytes, with the bytes moved since the last call, so that a window can
// show how far the copy of a large file has come. It runs on the thread
// that copies.
struct CopyTick {
    std::function<void(size_t moved)> tick;
    size_t bytes = size_t{64} << 20;
};

struct CopyOptions {
    // The copy's data is on the disk before the new name appears, so that
    // the caller may delete the original afterwards.
    bool flushData = false;
    // None when null or empty.
    const CopyTick* tick = nullptr;
    // When given, what the new file is once the copy has been published;
    // zeros where it could not be looked at.
    FileId* made = nullptr;
    // When given, set once the file system has refused to share a file's
    // extents, and then not asked again: the copies of one run, all in one
    // folder, spare a refused call each.
    bool* clonesRefused = nullptr;
    // When given, the copy is abandoned (ECANCELED) soon after it is set:
    // the data moves in stretches short enough for that, and nothing of the
    // copy is left.
    const std::atomic<bool>* stop = nullptr;
};

// The error of a copy abandoned on request.
inline constexpr int kCopyStopped = ECANCELED;

// The error of a copy whose source changed while it was copied.
inline constexpr int kSourceChanged = ESTALE;

// The source of a copy, open, and what it was when it was opened: its
// size, modification and change times are what the copy is checked against.
struct CopySource {
    UniqueFd fd;
    struct stat st {};
};

// Opens `name` for copying. Non-blocking, so that a FIFO put in the file's
// place cannot hang the copy; anything but a regular file is refused
// (EISDIR for a folder, EINVAL for the rest).
Status openCopySource(int dirFd, const std::string& name, CopySource& out);

// Opens the file that is to become `name` in the folder `dirFd`: a
// TempFile, or, in a folder that takes neither unnamed files nor scratch
// names, the name itself made exclusively (EEXIST when it is taken).
Status openCopyTarget(int dirFd, const std::string& name, TempFile& out);

// Moves the first `size` bytes of `in` (its size when opened) into the
// empty file `out`, and never more, however the file grows meanwhile: a
// shared-extent clone where the file system has one, else an in-kernel copy,
// else plain reads and writes. A source that ends sooner was cut short
// (kSourceChanged). The data is read at its offsets,
// so the same source can be copied again.
// With `clonesRefused`, no clone is tried where it is set, and it is set
// when the file system refuses one. With `stop`, the copy ends
// (kCopyStopped) soon after it is set.
Status copyData(int in, int out, off_t size, const CopyTick* tick = nullptr, bool* clonesRefused = nullptr,
                const std::atomic<bool>* stop = nullptr);

// Gives the copy the permission bits and modification time of the source
// (not set-user-ID and the like: the copy belongs to whoever runs the
// program; a file system that keeps no permission bits refuses them, and
// the copy goes on without), with `flushData` puts its data on the disk, and
// last looks at the source again: one whose size, modification or change
// time is not what it was when it was opened fails (kSourceChanged), so that
// a copy of a changing file is never published.
Status copyAttributes(int out, const CopySource& src, bool flushData);

// Ok when the open source still has the size, modification and change
// times it had when it was opened; kSourceChanged when not.
Status sourceUnchanged(const CopySource& src);

// Copies `from` to the new name `to`, failing when `to` exists, the source
// changes while it is copied, or the copy cannot be made. The new file
// appears only complete, with the source's permission bits and modification
// time; on failure nothing is left behind. On a file system that can
// neither rename without replacing nor link (FUSE vfat, exFAT), the scratch
// copy cannot be given its name: the copy is made again under the name
// itself, made exclusively.
Status copyFileNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to,
                         const CopyOptions& options = {});

// The same with paths, resolved against the current folder.
Status copyFileNoReplace(const std::string& from, const std::string& to, bool flushData = false);

}  // namespace platform
