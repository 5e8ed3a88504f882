// demo-photo: writes a small camera-like JPEG photo taken at a given time.
//
// Usage: demo-photo OUTFILE "YYYY:MM:DD HH:MM:SS"

#include <fstream>
#include <iostream>

#include "demo_photo.h"

int main(int argc, char** argv)
{
    if (argc != 3 || !demo_photo::isExifDateTime(argv[2])) {
        std::cerr << "usage: demo-photo OUTFILE \"YYYY:MM:DD HH:MM:SS\"\n";
        return 2;
    }
    const auto jpeg = demo_photo::makeDemoJpeg(argv[2]);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
    if (!out) {
        std::cerr << "demo-photo: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
