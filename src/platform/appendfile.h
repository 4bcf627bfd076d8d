// A file that only grows at its end, record by record, cheaply: a record
// is copied into a shared view of the file, room for which is taken from the
// file system ahead in large steps, so that most records cost no system call
// at all. What is in the view is in the file for every reader at once and
// stays there when the program is killed; sync() puts it on the disk.
//
// While the file is open it may end in zero bytes of the room taken ahead,
// which finish() (or the owner letting go) cuts off; a program killed before
// that leaves them. Within the bytes of a record the last one is stored
// last, so a reader never sees a record's final byte (a line's LF, say)
// before the bytes in front of it.
//
// Where the file system cannot take room ahead or show a file in memory
// (some network and FUSE file systems), records go by plain writes.
#pragma once

#include "platform/uniquefd.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

class AppendFile {
public:
    AppendFile() = default;
    // Appends to `fd`, a regular file open for reading and writing with
    // O_APPEND, after what it holds now.
    explicit AppendFile(UniqueFd fd);
    ~AppendFile() { finish(); }
    AppendFile(AppendFile&& other) noexcept;
    AppendFile& operator=(AppendFile&& other) noexcept;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    bool valid() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    // What has been appended, with what the file held before.
    uint64_t length() const { return length_; }
    // True while records go into a view of the file (for tests).
    bool mapped() const { return view_ != nullptr; }

    // Appends `bytes`. False, with errno set, when they could not all be
    // appended; what was appended before stays.
    bool append(std::string_view bytes);
    // Puts everything appended on the disk.
    bool sync();
    // Cuts off the room taken ahead and lets the view go; records then go
    // by plain writes. Also done when the owner lets go.
    bool finish();

private:
    bool nextView();
    // Readies the pages of the view up to the file's byte `end` and some way
    // past it for writing.
    void makeReady(uint64_t end);
    bool toPlainWrites();
    void reset() noexcept;

    UniqueFd fd_;
    uint64_t length_ = 0;
    char* view_ = nullptr;     // the file from viewAt_ on, viewLen_ bytes
    uint64_t viewAt_ = 0;
    size_t viewLen_ = 0;
    uint64_t reserved_ = 0;    // how far the file reaches with the room ahead
    uint64_t ready_ = 0;       // the view's pages up to here are ready for writing
    bool plain_ = false;       // the file system refused a view or room ahead
    bool populate_ = true;     // the kernel readies pages ahead on request
};

}  // namespace platform
