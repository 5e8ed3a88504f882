#include "photo/photo_batch.h"

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "photo/matching.h"
#include "photo/photo_list.h"
#include "photo/photo_reading.h"

namespace vantora {

namespace {

namespace fs = std::filesystem;

constexpr char kReadingCaption[] = "画像データ取得中...";
constexpr char kExifVersionMessage[] = "Exif 2.1以降のJPEGファイルにのみ対応しています。";
constexpr char kLimitMessage[] = "リストに登録できる写真は2000個までです。";
constexpr char kDuplicateMessage[] = "登録済みのファイルを追加しようとしました。";

// Large batches get the cancellable progress window; it closes when the
// reading ends, before any message is shown.
PhotoBatchResult readBatch(UserDialogs& dialogs, const std::vector<fs::path>& paths, PhotoList& photos)
{
    std::unique_ptr<ProgressDisplay> progress;
    if (paths.size() > kProgressThreshold)
        progress = dialogs.openProgress(true, kReadingCaption);
    StepCallback step;
    if (progress)
        step = [&progress](int position, int total) { return progress->step(position, total); };
    PhotoBatchResult result;
    result.outcome = addPhotos(photos, paths, result.added, result.limitReached, step);
    return result;
}

}  // namespace

PhotoBatch newPhotoBatch(const std::vector<fs::path>& candidates, const PhotoList& photos)
{
    // The listed photos and those already batched, by samePhotoPath's rule.
    std::unordered_set<fs::path::string_type> taken;
    for (const PhotoRecord& record : photos.records)
        taken.insert(photoPathKey(record.exif.path));
    PhotoBatch batch;
    for (const fs::path& path : candidates) {
        if (!admitsToPhotoList(fileKindOf(path))) {
            batch.otherKinds.push_back(path);
            continue;
        }
        if (!taken.insert(photoPathKey(path)).second) {
            batch.duplicates.push_back(path);
            continue;
        }
        batch.paths.push_back(path);
    }
    return batch;
}

PhotoBatchResult addPhotoBatch(UserDialogs& dialogs, const std::vector<fs::path>& paths, bool duplicatesMet,
                               PhotoList& photos, const UtcOffset& offset, const ShowPhotos& showPhotos)
{
    PhotoBatchResult result;
    if (!paths.empty()) {
        result = readBatch(dialogs, paths, photos);
        if (result.added > 0) {
            matchAll(photos, offset);
            if (showPhotos)
                showPhotos(photos);
        }
        // A cancelled run is not reported as refused photos.
        if (result.outcome == kSomeNotAdded)
            dialogs.ask(kExifVersionMessage, DialogButtons::Ok);
        if (result.limitReached)
            dialogs.ask(kLimitMessage, DialogButtons::Ok);
    }
    if (duplicatesMet)
        dialogs.ask(kDuplicateMessage, DialogButtons::Ok);
    return result;
}

}  // namespace vantora
