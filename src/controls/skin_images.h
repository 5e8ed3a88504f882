#pragma once
// The two large pictures of the look, decoded once at start-up: the header
// strip of the import and photo windows and the about box's artwork. The
// application owns one SkinImages; the windows find it through skinImages().

#include "controls/skinned_drawing.h"

#include <windows.h>

namespace vantora {

// A device-independent section bitmap with its size; empty when its
// resource did not load.
struct SkinImage {
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;

    bool loaded() const { return bitmap != nullptr; }
};

// Loads the bitmap `resourceId` of `module` as a DIB section; empty on
// failure.
SkinImage LoadSkinImage(HINSTANCE module, int resourceId);

class SkinImages {
public:
    // Loads the header strip (147), then the about artwork (135).
    explicit SkinImages(HINSTANCE module);

    SkinImage headerStrip;
    SkinImage aboutArtwork;
};

// The application's SkinImages, or null while there is none.
SkinImages* skinImages();
void setSkinImages(SkinImages* images);

// Creates the program's SkinImages and makes it the process-wide one for
// its lifetime.
class SkinImagesInstallation {
public:
    SkinImagesInstallation();
    ~SkinImagesInstallation();
    SkinImagesInstallation(const SkinImagesInstallation&) = delete;
    SkinImagesInstallation& operator=(const SkinImagesInstallation&) = delete;
    SkinImages& images() { return images_; }

private:
    SkinImages images_;
};

// Copies picture `id` (147 header strip, 135 about artwork) of the current
// SkinImages opaque to (0, 0) of `dc`, in its own size scaled to `dpi`
// (smoothly stretched; a plain copy at 96 dpi). Any other id, no SkinImages
// or an empty picture draws nothing; returns whether it drew.
bool DrawSkinImage(int id, HDC dc, int dpi);

}  // namespace vantora
