// A photo as a camera writes it, as small as it can be: a JPEG whose Exif
// block holds the date it was taken (DateTimeOriginal) and, when given, the
// fraction of a second (SubSecTimeOriginal). Written byte by byte, so that
// the reader is tried on the format itself.
#pragma once

#include <cstdint>
#include <string>

namespace testing_support {

inline std::string jpegTakenAt(const std::string& dateTime, const std::string& subSeconds = {})
{
    std::string tiff;
    auto u16 = [&](uint16_t v) {
        tiff += static_cast<char>(v & 0xFF);
        tiff += static_cast<char>(v >> 8);
    };
    auto u32 = [&](uint32_t v) {
        u16(static_cast<uint16_t>(v & 0xFFFF));
        u16(static_cast<uint16_t>(v >> 16));
    };
    const bool sub = !subSeconds.empty() && subSeconds.size() < 4;
    // Little-endian TIFF header, then the first IFD at 8 with one entry:
    // where the Exif IFD is (at 26).
    tiff += "II*";
    tiff += '\0';
    u32(8);
    u16(1);
    u16(0x8769), u16(4), u32(1), u32(26);
    u32(0);
    // The Exif IFD: the date (20 ASCII bytes, after the IFD) and the
    // fraction of a second (up to 3 digits, in the entry itself).
    const uint16_t entries = sub ? 2 : 1;
    const uint32_t data = 26 + 2 + 12u * entries + 4;
    u16(entries);
    u16(0x9003), u16(2), u32(20), u32(data);
    if (sub) {
        u16(0x9291), u16(2), u32(static_cast<uint32_t>(subSeconds.size() + 1));
        std::string inline4 = subSeconds;
        inline4.resize(4, '\0');
        tiff += inline4;
    }
    u32(0);
    std::string date = dateTime;
    date.resize(20, '\0');
    tiff += date;

    const std::string app1 = std::string("Exif\0\0", 6) + tiff;
    const size_t len = app1.size() + 2;
    std::string jpeg = "\xFF\xD8\xFF\xE1";
    jpeg += static_cast<char>(len >> 8);
    jpeg += static_cast<char>(len & 0xFF);
    jpeg += app1;
    jpeg += "\xFF\xD9";
    return jpeg;
}

}  // namespace testing_support
