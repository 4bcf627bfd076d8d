// The no-overwrite file operations. Names are byte strings; a bare name
// resolves against the current folder. None of them ever replaces an
// existing file, and none throws.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// A name holding a NUL byte would reach the system cut short, as another
// name: every call below refuses it (EINVAL).
inline bool acceptableName(const std::string& name)
{
    return name.find('\0') == std::string::npos;
}

// Copies `from` to the new name `to`, failing when `to` exists (a dangling
// symbolic link of that name counts as existing) or the copy cannot be made.
// The new file appears only complete, with the source's permission bits and
// modification time; on failure nothing is left behind. With `flushData`
// the copy's data is on the disk before the new name appears, so that the
// caller may delete the original afterwards.
bool copyFileNoReplace(const std::string& from, const std::string& to, int* err = nullptr,
                       bool flushData = false);

// Called now and then while a copy's data moves (after about every `bytes`
// bytes), so that a window can show it is still at work during the copy of
// a large file; none by default. An empty function removes it.
void setCopyTick(std::function<void()> tick, size_t bytes = size_t{64} << 20);

// Removes `path` at once. A file whose mode has no write bit at all is
// read-only and is not removed.
bool deleteFile(const std::string& path, int* err = nullptr);

// True when `path` is a file whose mode has no write bit at all.
bool isReadOnly(const std::string& path);

// Renames `from` to `to`, failing when `to` exists. Never replaces.
bool renameNoReplace(const std::string& from, const std::string& to, int* err = nullptr);

}  // namespace platform
