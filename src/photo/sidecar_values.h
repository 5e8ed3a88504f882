#pragma once
// A raw or HEIF photo's sidecar wins over the photo's own tags, as the raw
// developers have it: the shooting time and position it holds are what the
// photo list shows and matches by.

#include "photo/photo_record.h"
#include "photo/xmp_values.h"

namespace vantora {

// Puts what the sidecar holds over the photo's values: the shooting time
// (and its zone), the position with its datum, version, time stamp and
// status. A position needs both axes; a sidecar without a datum still gives
// one (many raw developers write none), shown with an empty datum.
void takeSidecarValues(const XmpPhotoValues& sidecar, PhotoExifData& exif);

}  // namespace vantora
