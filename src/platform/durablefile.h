// Replacing a whole file so that a crash at any moment leaves either its old
// or its new content.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the file at `path` by `bytes`: a scratch file in the same folder,
// flushed, then renamed over it, and the folder flushed. Where the folder
// cannot take a new file but the file itself is writable, the file is
// rewritten in place. A link is followed and its target rewritten in place,
// so the link stays. A file whose mode has no write bit is read-only and is
// not written (EACCES), for root as well.
bool replaceFileDurably(const std::string& path, std::string_view bytes, int* err = nullptr);

}  // namespace platform
