#include "support/scratch.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

ScopedCwd::ScopedCwd(const std::string& dir)
{
    char buf[4096];
    if (::getcwd(buf, sizeof buf))
        previous_ = buf;
    if (::chdir(dir.c_str()) != 0)
        throw std::runtime_error("chdir failed: " + dir);
}

ScopedCwd::~ScopedCwd()
{
    if (!previous_.empty() && ::chdir(previous_.c_str()) != 0) {
        // Nothing sensible to do in a destructor; the next test will notice.
    }
}

void writeFile(const std::string& path, const std::string& bytes, mode_t mode)
{
    {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        if (!f)
            throw std::runtime_error("cannot write " + path);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ::chmod(path.c_str(), mode);
}

std::string readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

std::map<std::string, std::string> snapshot(const std::string& dir)
{
    std::map<std::string, std::string> out;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        throw std::runtime_error("cannot list " + dir);
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st {};
        const std::string p = dir + "/" + name;
        ::lstat(p.c_str(), &st);
        if (S_ISREG(st.st_mode))
            out[name] = readFile(p);
        else if (S_ISDIR(st.st_mode))
            out[name] = "<dir>";
        else if (S_ISLNK(st.st_mode))
            out[name] = "<link>";
        else
            out[name] = "<other>";
    }
    ::closedir(d);
    return out;
}

}  // namespace testing_support
