// The dates of the files of a folder, looked up by line: line i pairs with
// name i. Each file is looked at once, when its date is first asked for;
// the photo's date is read with exiv2, for every format it reads.
#pragma once

#include "lines/dates.h"

#include <optional>
#include <string>
#include <vector>

namespace lines {

class FileDates : public DateSource {
public:
    // `dirFd` and `names` must outlive this object.
    FileDates(int dirFd, const std::vector<std::string>& names);

    std::optional<DateTime> dateOf(int line, DateKind kind) override;

private:
    struct Known {
        bool looked = false;
        std::optional<DateTime> date;
    };
    int dirFd_;
    const std::vector<std::string>& names_;
    std::vector<Known> modified_, taken_;
};

// DateTimeOriginal (with SubSecTimeOriginal) of the file `name` in the
// folder of `dirFd`; nothing when it is no regular file, exiv2 cannot read
// it, or it holds no such date.
std::optional<DateTime> photoTaken(int dirFd, const std::string& name);

}  // namespace lines
