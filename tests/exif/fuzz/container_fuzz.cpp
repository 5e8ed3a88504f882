// libFuzzer target of one reader of raw and HEIF photos, chosen when it is
// built (FUZZ_READER_KIND): every input must keep the properties of
// container_properties.h.
#include "container_properties.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string failure = exif::properties::checkReader(exif::PhotoKind::FUZZ_READER_KIND, data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "container fuzz: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
