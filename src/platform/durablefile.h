// Replacing a whole file so that a crash at any moment leaves either its old
// or its new content.
#pragma once

#include "platform/status.h"

#include <string>
#include <string_view>

namespace platform {

// Replaces the file at `path` by `bytes`: a scratch file in the same folder,
// flushed, then renamed over it, and the folder flushed, so that a full disk,
// a crash or another program writing at the same moment leaves the old file
// or a new one, whole. Where the folder cannot take a new file but the file
// itself is writable, the file is rewritten in place. A file whose mode has
// no write bit is read-only and is not written (EACCES), for root as well.
//
// A symbolic link stays a link: the file it names is replaced in that
// file's own folder, and a link to no file yet has that file made. As the
// kernel does for links in shared folders, a link is followed only to what
// belongs to the link's owner (the next link, the file, or for a link to no
// file yet the folder it is to be made in), so that nobody can plant a link
// that makes the program write over a file not theirs: EACCES. A chain of
// more than 40 links is a loop (ELOOP).
Status replaceFileDurably(const std::string& path, std::string_view bytes);

}  // namespace platform
