// libFuzzer target of the JPEG/TIFF reader and writer, in memory: every
// input must keep the properties of layout_properties.h.
#include "layout_properties.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string failure = exif::properties::checkLayout(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "exif_fuzz: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
