// Test helpers on real files: a fresh folder under /tmp that is removed
// afterwards, and small readers and writers of whole files.
#pragma once

#include "support/tempdir.h"

#include <sys/stat.h>

#include <map>
#include <string>

namespace testing_support {

// A scratch folder addressed with "/" (`dir / "name"`).
class ScratchDir : public TempDir {
public:
    std::string operator/(const std::string& name) const { return file(name); }
};

// Makes `dir` the current folder while alive, and goes back afterwards.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::string& dir);
    ~ScopedCwd();
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;

private:
    std::string previous_;
};

void writeFile(const std::string& path, const std::string& bytes, mode_t mode = 0644);
std::string readFile(const std::string& path);
bool exists(const std::string& path);  // any entry, dangling links included
mode_t modeOf(const std::string& path);

// Every entry of `dir` but "." and "..": name -> content ("<dir>" for a
// folder, "<link>" for a symbolic link, "<other>" for anything else).
std::map<std::string, std::string> snapshot(const std::string& dir);

}  // namespace testing_support
