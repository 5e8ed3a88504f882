// What both systems' file access share: the temporary file's name.
#include "file_io.h"

namespace exif::io {

std::string temporaryNameStem(const void* name, std::size_t size)
{
    // FNV-1a: any stable hash will do; two photos of one folder whose names
    // collide would only wait for each other's write.
    uint64_t hash = 0xcbf29ce484222325ull;
    const auto* bytes = static_cast<const unsigned char*>(name);
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    static const char digits[] = "0123456789abcdef";
    std::string stem = "vg-";
    for (int shift = 60; shift >= 0; shift -= 4) stem += digits[(hash >> shift) & 0xF];
    return stem + ".tmp";
}

}  // namespace exif::io
