#include "photo/camera.h"

#include <cstdlib>

namespace vantora {

namespace {

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

bool startsWithIgnoringAsciiCase(const std::string& text, const std::string& prefix)
{
    return !prefix.empty() && text.size() >= prefix.size() &&
           equalIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

// The name without the serial: makers repeat their name in the model
// ("NIKON CORPORATION" / "NIKON D70"), others do not ("Apple" / "iPhone 4").
std::string modelName(const CameraId& camera)
{
    if (camera.make.empty())
        return camera.model;
    if (camera.model.empty())
        return camera.make;
    const std::string makeWord = camera.make.substr(0, camera.make.find(' '));
    if (startsWithIgnoringAsciiCase(camera.model, makeWord))
        return camera.model;
    return camera.make + " " + camera.model;
}

void appendTwoDigits(std::string& text, TimeValue value)
{
    text += static_cast<char>('0' + value / 10 % 10);
    text += static_cast<char>('0' + value % 10);
}

}  // namespace

std::string cameraName(const CameraId& camera)
{
    std::string name = modelName(camera);
    if (name.empty())
        name = "unknown camera";
    if (!camera.serial.empty())
        name += " #" + camera.serial;
    return name;
}

bool textNamesCamera(const std::string& text, const CameraId& camera)
{
    return equalIgnoringAsciiCase(text, cameraName(camera)) ||
           equalIgnoringAsciiCase(text, modelName(camera)) ||
           equalIgnoringAsciiCase(text, camera.make + " " + camera.model);
}

TimeValue utcShiftOf(const UtcOffset& offset)
{
    return offset.east ? seconds(offset) : -seconds(offset);
}

TimeValue utcShiftFor(const CameraId& camera, const std::vector<CameraClock>& clocks,
                      TimeValue fallback)
{
    for (const CameraClock& clock : clocks)
        if (clock.camera == camera)
            return clock.utcShift;
    return fallback;
}

std::string formatUtcShift(TimeValue shift)
{
    std::string text(1, shift < 0 ? '-' : '+');
    const TimeValue magnitude = std::llabs(shift);
    appendTwoDigits(text, magnitude / 3600);
    text += ':';
    appendTwoDigits(text, magnitude / 60 % 60);
    if (magnitude % 60 != 0) {
        text += ':';
        appendTwoDigits(text, magnitude % 60);
    }
    return text;
}

std::optional<UtcOffset> utcOffsetOf(TimeValue shift)
{
    const TimeValue magnitude = std::llabs(shift);
    if (magnitude % 60 != 0 || magnitude >= 14 * 3600)
        return std::nullopt;
    return UtcOffset{shift >= 0 ? 1 : 0, static_cast<std::int32_t>(magnitude / 3600),
                     static_cast<std::int32_t>(magnitude / 60 % 60)};
}

}  // namespace vantora
