#include "lines/filedates.h"

#include "platform/nameinfo.h"
#include "platform/regularfile.h"

// exiv2 0.27 hands images out in std::auto_ptr, which C++17 deprecates.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <mutex>

namespace lines {

FileDates::FileDates(int dirFd, const std::vector<std::string>& names)
    : dirFd_(dirFd), names_(names), modified_(names.size()), taken_(names.size())
{
}

std::optional<DateTime> FileDates::dateOf(int line, DateKind kind)
{
    if (line < 0 || static_cast<size_t>(line) >= names_.size())
        return std::nullopt;
    const size_t i = static_cast<size_t>(line);
    Known& k = kind == DateKind::taken ? taken_[i] : modified_[i];
    if (!k.looked) {
        k.looked = true;
        if (kind == DateKind::taken) {
            k.date = photoTaken(dirFd_, names_[i]);
        } else {
            platform::FileId id;
            if (platform::fileIdentity(dirFd_, names_[i], id))
                k.date = localDateTime(id.mtimeNs);
        }
    }
    return k.date;
}

namespace {

void setUpExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // A file exiv2 cannot read is a file without a date, not a warning
        // on the terminal; and XMP is set up before any thread reads it.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
    });
}

std::string valueOf(const Exiv2::ExifData& exif, const char* key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? std::string() : it->toString();
}

}  // namespace

std::optional<DateTime> photoTaken(int dirFd, const std::string& name)
{
    setUpExiv2();
    // Opened here, so that a name that has become a FIFO is refused rather
    // than left to block; exiv2 reads the file through this descriptor.
    const platform::UniqueFd fd = platform::openRegular(dirFd, name).value();
    if (!fd)
        return std::nullopt;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    try {
        auto image = Exiv2::ImageFactory::open(platform::pathOfOpenFile(fd.get()));
        if (!image.get())
            return std::nullopt;
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        return parseExifDate(valueOf(exif, "Exif.Photo.DateTimeOriginal"),
                             valueOf(exif, "Exif.Photo.SubSecTimeOriginal"));
    } catch (...) {
        // Not an image exiv2 knows, or a damaged one.
        return std::nullopt;
    }
#pragma GCC diagnostic pop
}

}  // namespace lines
