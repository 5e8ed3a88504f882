#include "photo/clock_question.h"

#include "photo/camera.h"

namespace vantora {

namespace {

// "+10", "-5", "+5:30", "+5:45:12": whole hours without minutes, as the
// time-zone dialog shows a zone.
std::string zoneText(TimeValue shift)
{
    const TimeValue magnitude = shift < 0 ? -shift : shift;
    std::string text = (shift < 0 ? "-" : "+") + std::to_string(magnitude / 3600);
    const TimeValue minutes = magnitude / 60 % 60;
    const TimeValue seconds = magnitude % 60;
    if (minutes != 0 || seconds != 0)
        text += (minutes < 10 ? ":0" : ":") + std::to_string(minutes);
    if (seconds != 0)
        text += (seconds < 10 ? ":0" : ":") + std::to_string(seconds);
    return text;
}

std::string count(int photos)
{
    return std::to_string(photos) + "枚";
}

std::string cameraLine(const ClockProposal& proposal)
{
    return "・" + cameraName(proposal.camera) + "（" + count(proposal.photos) + "）: " +
           zoneText(proposal.proposedShift) + " で" + count(proposal.insideProposed) + "（今は" +
           count(proposal.insideNow) + "）";
}

}  // namespace

std::string clockQuestionJapanese(const std::vector<ClockProposal>& proposals)
{
    if (proposals.size() == 1) {
        const ClockProposal& only = proposals.front();
        return "撮影時刻のタイムゾーンを " + zoneText(only.proposedShift) + " にすると、" + count(only.photos) +
               "のうち" + count(only.insideProposed) + "がログの範囲に入ります（今は" + count(only.insideNow) +
               "）。タイムゾーンを変更しますか？";
    }
    std::string text = "カメラごとの撮影時刻のタイムゾーンを次のようにすると、ログの範囲に入る写真が増えます。\n";
    for (const ClockProposal& proposal : proposals)
        text += cameraLine(proposal) + "\n";
    return text + "タイムゾーンを変更しますか？";
}

bool offerCameraClocks(UserDialogs& dialogs, PhotoList& list, const UtcOffset& offset)
{
    const std::vector<ClockProposal> proposals = findCameraClocks(list);
    if (proposals.empty())
        return false;
    if (dialogs.ask(clockQuestionJapanese(proposals), DialogButtons::YesNo) != DialogAnswer::Yes)
        return false;
    applyClockProposals(list, proposals, offset);
    return true;
}

std::optional<UtcOffset> zoneTakenForWholeList(const PhotoList& list)
{
    if (list.records.empty() || list.cameraClocks.empty())
        return std::nullopt;
    const CameraId& camera = list.records.front().exif.camera;
    for (const PhotoRecord& record : list.records)
        if (!(record.exif.camera == camera))
            return std::nullopt;
    for (const CameraClock& clock : list.cameraClocks)
        if (clock.camera == camera)
            return utcOffsetOf(clock.utcShift);
    return std::nullopt;
}

}  // namespace vantora
