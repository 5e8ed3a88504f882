#include "controls/preview_picture.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <utility>

#include "photo/photo_preview.h"
#include "ui/gdi_scopes.h"

namespace vantora {

namespace {

namespace gp = Gdiplus;
namespace gpx = Gdiplus::DllExports;

}  // namespace

RECT fitIntoFrame(const RECT& frame, int width, int height)
{
    if (width <= 0 || height <= 0)
        return RECT{0, 0, 0, 0};
    const double w = frame.right - frame.left;
    const double h = frame.bottom - frame.top;
    const double cx = frame.left + w * 0.5;
    const double cy = frame.top + h * 0.5;
    const double sx = w / width;
    const double sy = h / height;
    double newWidth = w;
    double newHeight = h;
    if (sx > sy)
        newWidth = sy * width;
    else if (sx < sy)
        newHeight = sx * height;
    RECT fitted;
    fitted.left = static_cast<LONG>(cx - newWidth * 0.5 + 0.5);
    fitted.top = static_cast<LONG>(cy - newHeight * 0.5 + 0.5);
    fitted.right = fitted.left + static_cast<LONG>(newWidth + 0.5);
    fitted.bottom = fitted.top + static_cast<LONG>(newHeight + 0.5);
    return fitted;
}

namespace {

// GDI+ for one decoding: loaded, started, and shut down and freed again with
// the object. It is reached at run time, as only the preview uses it, so
// the program's imports stay as they are.
class GdiplusRuntime {
public:
    GdiplusRuntime() : library_(LoadLibraryW(L"gdiplus.dll"))
    {
        if (!library_ || !resolveAll())
            return;
        gp::GdiplusStartupInput input;
        started_ = startup(&token_, &input, nullptr) == gp::Ok;
    }
    ~GdiplusRuntime()
    {
        if (started_)
            shutdown(token_);
    }
    GdiplusRuntime(const GdiplusRuntime&) = delete;
    GdiplusRuntime& operator=(const GdiplusRuntime&) = delete;
    bool ok() const { return started_; }

    decltype(&gp::GdiplusStartup) startup = nullptr;
    decltype(&gp::GdiplusShutdown) shutdown = nullptr;
    decltype(&gpx::GdipLoadImageFromFile) loadImageFromFile = nullptr;
    decltype(&gpx::GdipLoadImageFromStream) loadImageFromStream = nullptr;
    decltype(&gpx::GdipDisposeImage) disposeImage = nullptr;
    decltype(&gpx::GdipGetImageWidth) getImageWidth = nullptr;
    decltype(&gpx::GdipGetImageHeight) getImageHeight = nullptr;
    decltype(&gpx::GdipCreateFromHDC) createFromHdc = nullptr;
    decltype(&gpx::GdipDeleteGraphics) deleteGraphics = nullptr;
    decltype(&gpx::GdipCreateImageAttributes) createImageAttributes = nullptr;
    decltype(&gpx::GdipDisposeImageAttributes) disposeImageAttributes = nullptr;
    decltype(&gpx::GdipSetImageAttributesWrapMode) setWrapMode = nullptr;
    decltype(&gpx::GdipSetInterpolationMode) setInterpolationMode = nullptr;
    decltype(&gpx::GdipSetPixelOffsetMode) setPixelOffsetMode = nullptr;
    decltype(&gpx::GdipDrawImageRectRectI) drawImageRectRect = nullptr;

private:
    template <typename Function>
    bool resolve(Function& function, const char* name)
    {
        function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library_.get(), name)));
        return function != nullptr;
    }
    bool resolveAll()
    {
        return resolve(startup, "GdiplusStartup") && resolve(shutdown, "GdiplusShutdown") &&
               resolve(loadImageFromFile, "GdipLoadImageFromFile") &&
               resolve(loadImageFromStream, "GdipLoadImageFromStream") && resolve(disposeImage, "GdipDisposeImage") &&
               resolve(getImageWidth, "GdipGetImageWidth") && resolve(getImageHeight, "GdipGetImageHeight") &&
               resolve(createFromHdc, "GdipCreateFromHDC") && resolve(deleteGraphics, "GdipDeleteGraphics") &&
               resolve(createImageAttributes, "GdipCreateImageAttributes") &&
               resolve(disposeImageAttributes, "GdipDisposeImageAttributes") &&
               resolve(setWrapMode, "GdipSetImageAttributesWrapMode") &&
               resolve(setInterpolationMode, "GdipSetInterpolationMode") &&
               resolve(setPixelOffsetMode, "GdipSetPixelOffsetMode") &&
               resolve(drawImageRectRect, "GdipDrawImageRectRectI");
    }

    UniqueLibrary library_;  // freed last, after the shutdown
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

// Owners of GDI+ objects; they must go before the GdiplusRuntime does.
template <typename Object>
class GdiplusOwned {
public:
    using Release = gp::GpStatus(WINGDIPAPI*)(Object*);
    GdiplusOwned(Object* object, Release release) : object_(object), release_(release) {}
    ~GdiplusOwned()
    {
        if (object_)
            release_(object_);
    }
    GdiplusOwned(const GdiplusOwned&) = delete;
    GdiplusOwned& operator=(const GdiplusOwned&) = delete;
    Object* get() const { return object_; }

private:
    Object* object_;
    Release release_;
};

UniqueBitmap MakeTopDownDib(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

// Draws the whole image scaled into `target` (width x height). The edge
// pixels are mirrored rather than blended with the nothing beyond them,
// which would darken the border of the preview.
bool DrawScaled(const GdiplusRuntime& gdiplus, gp::GpImage* image, SIZE picture, HBITMAP target, int width, int height)
{
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc)
        return false;
    ui::SelectedObject selected(dc.get(), target);
    gp::GpGraphics* rawGraphics = nullptr;
    if (!selected.ok() || gdiplus.createFromHdc(dc.get(), &rawGraphics) != gp::Ok)
        return false;
    GdiplusOwned<gp::GpGraphics> graphics(rawGraphics, gdiplus.deleteGraphics);
    gp::GpImageAttributes* rawAttributes = nullptr;
    if (gdiplus.createImageAttributes(&rawAttributes) != gp::Ok)
        return false;
    GdiplusOwned<gp::GpImageAttributes> attributes(rawAttributes, gdiplus.disposeImageAttributes);
    gdiplus.setWrapMode(attributes.get(), gp::WrapModeTileFlipXY, 0, FALSE);
    gdiplus.setInterpolationMode(graphics.get(), gp::InterpolationModeHighQualityBicubic);
    gdiplus.setPixelOffsetMode(graphics.get(), gp::PixelOffsetModeHighQuality);
    return gdiplus.drawImageRectRect(graphics.get(), image, 0, 0, width, height, 0, 0, picture.cx, picture.cy,
                                     gp::UnitPixel, attributes.get(), nullptr, nullptr) == gp::Ok;
}


// The picture scaled into the frame, or an empty one.
PreviewPicture scaledPreview(const GdiplusRuntime& gdiplus, gp::GpImage* rawImage, const RECT& frame)
{
    if (!rawImage)
        return {};
    GdiplusOwned<gp::GpImage> image(rawImage, gdiplus.disposeImage);
    UINT width = 0;
    UINT height = 0;
    gdiplus.getImageWidth(image.get(), &width);
    gdiplus.getImageHeight(image.get(), &height);
    if (width == 0 || height == 0 || width > INT_MAX || height > INT_MAX)
        return {};
    const SIZE picture{static_cast<LONG>(width), static_cast<LONG>(height)};
    const RECT fitted = fitIntoFrame(frame, picture.cx, picture.cy);
    const int targetWidth = std::max<LONG>(1, fitted.right - fitted.left);
    const int targetHeight = std::max<LONG>(1, fitted.bottom - fitted.top);
    UniqueBitmap bitmap = MakeTopDownDib(targetWidth, targetHeight);
    if (!bitmap || !DrawScaled(gdiplus, image.get(), picture, bitmap.get(), targetWidth, targetHeight))
        return {};
    return PreviewPicture{std::move(bitmap), picture};
}

// A JPEG held in memory (a raw photo's embedded preview), decoded from a
// stream over a copy of it that the stream owns and frees.
PreviewPicture decodeJpegBytes(const std::string& bytes, const RECT& frame)
{
    const GdiplusRuntime gdiplus;  // outlives every GDI+ object below
    if (!gdiplus.ok())
        return {};
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory)
        return {};
    if (void* target = GlobalLock(memory)) {
        std::memcpy(target, bytes.data(), bytes.size());
        GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK || !stream) {
        GlobalFree(memory);
        return {};
    }
    gp::GpImage* rawImage = nullptr;
    PreviewPicture preview;
    if (gdiplus.loadImageFromStream(stream, &rawImage) == gp::Ok)
        preview = scaledPreview(gdiplus, rawImage, frame);
    stream->Release();  // frees the memory too
    return preview;
}

}  // namespace

PreviewPicture decodePreview(const std::filesystem::path& file, const RECT& frame)
{
    const GdiplusRuntime gdiplus;  // outlives every GDI+ object below
    if (!gdiplus.ok())
        return {};
    gp::GpImage* rawImage = nullptr;
    if (gdiplus.loadImageFromFile(file.c_str(), &rawImage) != gp::Ok)
        return {};
    return scaledPreview(gdiplus, rawImage, frame);
}

PreviewPicture decodePhotoPreview(const PhotoExifData& photo, const RECT& frame)
{
    if (photo.kind == PhotoKind::jpeg)
        return decodePreview(photo.path, frame);
    const auto bytes = embeddedPreviewBytes(photo.path);
    return bytes ? decodeJpegBytes(*bytes, frame) : PreviewPicture{};
}

}  // namespace vantora
