#pragma once
// The KML document that shows the route, and the photos placed on it, in
// Google Earth.

#include <filesystem>
#include <string>
#include <vector>

#include "photo/photo_record.h"
#include "tracklog/log_list.h"

namespace vantora {

constexpr int kKmlWritten = 0;
constexpr int kKmlCannotCreate = 1;
constexpr int kKmlWriteFailed = 2;

// The whole document as UTF-8: one red route line through every point of
// the logs marked inRoute, in list order, and, when photos are given and
// every one of them has a match, one placemark per photo with the photo as
// its icon - or, when `pictures` is given, with pictures[i] (none when it is
// empty: a raw photo without a preview). Inserted texts are escaped, so any
// file name gives a well-formed document.
std::string buildKmlDocument(const LogList& logs, const std::vector<PhotoRecord>* photos,
                             const std::vector<std::filesystem::path>* pictures = nullptr);

// Writes the document to the target, created or truncated, with the
// previews of raw photos beside it (placemarkPictures). Returns
// kKmlWritten, kKmlCannotCreate (nothing written) or kKmlWriteFailed (the
// file is left as far as it got). Never throws.
int writeKml(const std::filesystem::path& target, const LogList& logs,
             const std::vector<PhotoRecord>* photos);

}  // namespace vantora
