#pragma once
// A camera-sized photo for the benchmarks: the demo photo with `size` more
// bytes of scan data before its end marker - random bytes, every 0xFF
// stuffed with a 0x00 as in real scan data.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "demo_photo.h"

namespace bench {

inline std::vector<unsigned char> cameraPhoto(std::size_t size)
{
    const std::vector<unsigned char> demo = demo_photo::makeDemoJpeg("2008:05:01 10:30:05");
    std::vector<unsigned char> jpeg(demo.begin(), demo.end() - 2);
    jpeg.reserve(demo.size() + size + 1);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        const auto b = static_cast<unsigned char>(state >> 23);
        jpeg.push_back(b);
        if (b == 0xFF) {
            jpeg.push_back(0x00);
            ++i;
        }
    }
    jpeg.insert(jpeg.end(), demo.end() - 2, demo.end());
    return jpeg;
}

}  // namespace bench
