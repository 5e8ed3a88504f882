#pragma once
// The preview of the photo detail window: a photo decoded with GDI+ and
// scaled once to the size it takes in its frame.

#include <windows.h>

#include <filesystem>

#include "controls/skinned_drawing.h"
#include "photo/photo_record.h"

namespace vantora {

// The rectangle a width x height picture takes when fitted into `frame`
// keeping its proportions, centred. Empty for an empty picture.
RECT fitIntoFrame(const RECT& frame, int width, int height);

// A decoded photo for the preview: the picture's own size, and a bitmap of
// it already scaled to the size it takes in the frame, so that a large photo
// does not stay decoded at full size while the window is open.
struct PreviewPicture {
    UniqueBitmap bitmap;
    SIZE pictureSize{0, 0};
};
// Decodes `file` with GDI+; an empty picture when it cannot be decoded.
PreviewPicture decodePreview(const std::filesystem::path& file, const RECT& frame);
// The photo's picture: a JPEG decoded from its file, a raw photo from the
// preview JPEG inside it; empty for a photo without one (HEIF).
PreviewPicture decodePhotoPreview(const PhotoExifData& photo, const RECT& frame);

}  // namespace vantora
