#pragma once
// A batch of photo paths entering the photo list: the one procedure behind
// a drop on the list, the add-photos button, the folder the photo window
// opens with, and the command-line tool. It reads the photos (under the
// progress window when there are many), matches the list, and tells the user
// what was refused, through the dialog seam.

#include <filesystem>
#include <functional>
#include <vector>

#include "photo/photo_record.h"
#include "tracklog/time_values.h"
#include "ui/user_dialogs.h"

namespace vantora {

// Candidate paths sorted for the photo list, each group in the given order.
struct PhotoBatch {
    std::vector<std::filesystem::path> paths;       // JPEG files to read
    std::vector<std::filesystem::path> duplicates;  // JPEG files already listed, or earlier in the batch
    std::vector<std::filesystem::path> otherKinds;  // not JPEG by their name; passed over
};

// Sorts the candidates by fileKindOf and by containsPath's rule, which also
// catches a path given twice in the same batch.
PhotoBatch newPhotoBatch(const std::vector<std::filesystem::path>& candidates, const PhotoList& photos);

struct PhotoBatchResult {
    int added = 0;
    int outcome = 0;  // kAllAdded, kSomeNotAdded or kAddingStopped, as addPhotos gives it
    bool limitReached = false;
};

// Shows the whole list anew (a window refills its list view).
using ShowPhotos = std::function<void(const PhotoList& photos)>;

// Adds the paths (under a cancellable progress window for more than
// kProgressThreshold), matches the list with the offset and shows it when
// some were added, then tells the user about refused photos, the limit and
// duplicates, in that order, so that the messages stand over the new rows.
// A cancelled run is not reported as refused photos.
PhotoBatchResult addPhotoBatch(UserDialogs& dialogs, const std::vector<std::filesystem::path>& paths,
                               bool duplicatesMet, PhotoList& photos, const UtcOffset& offset,
                               const ShowPhotos& showPhotos = {});

}  // namespace vantora
