// The photo detail window (template 130).

#include "windows/photo_detail_dialog.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "res/resource.h"

namespace vantora {

namespace {

namespace gp = Gdiplus;
namespace gpx = Gdiplus::DllExports;

constexpr char kMatchedGpsVersion[] = "2.0.0.0";  // what writing positions stores
constexpr char kMatchedMapDatum[] = "WGS-84";
constexpr COLORREF kWarningRed = RGB(255, 0, 0);
constexpr UINT kCodePage932 = 932;

template <std::size_t N>
std::string_view fieldText(const char (&field)[N])
{
    // The fields come from files: a missing terminator must not run past them.
    return std::string_view(field, strnlen(field, N));
}

bool isLeadByte932(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

unsigned char foldAscii(unsigned char byte)
{
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

}  // namespace

// --- The texts of the window ---------------------------------------------

bool narrowTextsDiffer(std::string_view stored, std::string_view matched)
{
    if (stored.size() != matched.size())
        return true;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const auto a = static_cast<unsigned char>(stored[i]);
        const auto b = static_cast<unsigned char>(matched[i]);
        if (foldAscii(a) != foldAscii(b))
            return true;
        if (isLeadByte932(a) && i + 1 < stored.size()) {
            ++i;  // the trail byte is compared as it is
            if (stored[i] != matched[i])
                return true;
        }
    }
    return false;
}

std::string formatGpsVersion(const std::array<std::uint8_t, 4>& version)
{
    char text[16] = {};
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", version[0], version[1], version[2], version[3]);
    return text;
}

std::array<DetailRow, kDetailRowCount> detailRows(const PhotoRecord& photo)
{
    const PhotoExifData& exif = photo.exif;
    std::array<DetailRow, kDetailRowCount> rows{{
        {L"GPSタグバージョン", {}, {}, false},
        {L"緯度", {}, {}, false},
        {L"経度", {}, {}, false},
        {L"GPS時間(UTC)", {}, {}, false},
        {L"GPS受信機の状態", {}, {}, false},
        {L"測地系", {}, {}, false},
    }};
    if (exif.hasGpsTags) {
        rows[0].stored = formatGpsVersion(exif.gpsVersion);
        rows[1].stored = fieldText(exif.latitudeText);
        rows[2].stored = fieldText(exif.longitudeText);
        rows[3].stored = fieldText(exif.gpsTimeText);
        rows[4].stored = fieldText(exif.gpsStatus);
        rows[5].stored = fieldText(exif.gpsMapDatum);
    }
    if (photo.match) {
        const TrackPoint& point = *photo.match;
        rows[0].matched = kMatchedGpsVersion;
        rows[1].matched = fieldText(point.latitudeText);
        rows[2].matched = fieldText(point.longitudeText);
        rows[3].matched = fieldText(point.timeText);
        rows[4].matched = fieldText(point.status);
        rows[5].matched = kMatchedMapDatum;
    }
    const bool comparable = exif.hasGpsTags && photo.match;
    for (DetailRow& row : rows)
        row.differs = comparable && narrowTextsDiffer(row.stored, row.matched);
    return rows;
}

std::wstring fromCodePage932(const char* text, std::size_t capacity)
{
    const int size = static_cast<int>(strnlen(text, capacity));
    if (size == 0)
        return {};
    const int length = MultiByteToWideChar(kCodePage932, 0, text, size, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(kCodePage932, 0, text, size, wide.data(), length);
    return wide;
}

PathParts splitPhotoPath(const std::filesystem::path& path)
{
    const std::wstring& text = path.native();
    const std::size_t slash = text.rfind(L'\\');
    if (slash == std::wstring::npos)
        return {};
    return PathParts{text.substr(slash + 1), text.substr(0, slash)};
}

DetailLabels detailLabels(const PhotoRecord& photo)
{
    const PathParts parts = splitPhotoPath(photo.exif.path);
    const std::wstring logName = photo.match ? photo.matchedLogPath.filename().native() : std::wstring();
    const char* shot = photo.exif.shootingTime.dateTimeText;
    return DetailLabels{L"ファイル名: " + parts.name, L"フォルダパス: " + parts.folder,
                        L"参照ログファイル名: " + logName,
                        L"撮影日時: " + fromCodePage932(shot, sizeof photo.exif.shootingTime.dateTimeText)};
}

// --- The preview -----------------------------------------------------------

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
               resolve(loadImageFromFile, "GdipLoadImageFromFile") && resolve(disposeImage, "GdipDisposeImage") &&
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
    SelectedObject selected(dc.get(), target);
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

}  // namespace

PreviewPicture decodePreview(const std::filesystem::path& file, const RECT& frame)
{
    const GdiplusRuntime gdiplus;  // outlives every GDI+ object below
    if (!gdiplus.ok())
        return {};
    gp::GpImage* rawImage = nullptr;
    if (gdiplus.loadImageFromFile(file.c_str(), &rawImage) != gp::Ok || !rawImage)
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

// --- The window --------------------------------------------------------------

CStillDetailDlg::CStillDetailDlg(HWND parent, PhotoRecord photo)
    : ui::Dialog(IDD_STILLDETAIL_DIALOG, parent), m_photo(std::move(photo))
{
}

CStillDetailDlg::~CStillDetailDlg() = default;

BOOL CStillDetailDlg::OnInitDialog()
{
    SetWindowTextW(hwnd(), L"画像データ詳細");
    m_list = ui::ListView(item(IDC_DETAIL_TAGS));
    m_list.addColumns({{L"項目", 100}, {L"既存の位置情報", 150}, {L"位置情報(マッチング結果)", 150}});
    fillLabels();
    m_preview = decodePreview(m_photo.exif.path, m_previewFrame);  // stays empty when it fails
    fillTable();
    m_list.setFullRowSelect();
    return TRUE;
}

void CStillDetailDlg::fillLabels()
{
    const DetailLabels labels = detailLabels(m_photo);
    SetDlgItemTextW(hwnd(), IDC_DETAIL_FILE_NAME, labels.fileName.c_str());
    SetDlgItemTextW(hwnd(), IDC_DETAIL_FOLDER, labels.folder.c_str());
    SetDlgItemTextW(hwnd(), IDC_DETAIL_LOG_FILE, labels.logFile.c_str());
    SetDlgItemTextW(hwnd(), IDC_DETAIL_SHOOTING_TIME, labels.shootingTime.c_str());
}

void CStillDetailDlg::fillTable()
{
    const auto rows = detailRows(m_photo);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const DetailRow& row = rows[i];
        m_list.appendRow({row.name, fromCodePage932(row.stored.c_str(), row.stored.size()),
                          fromCodePage932(row.matched.c_str(), row.matched.size())});
        m_differs[i] = row.differs ? 1 : 0;
    }
}

bool CStillDetailDlg::OnNotify(int id, NMHDR& header, LRESULT& result)
{
    if (id != IDC_DETAIL_TAGS || header.code != static_cast<UINT>(NM_CUSTOMDRAW))
        return false;
    result = colourTableCell(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    return true;
}

LRESULT CStillDetailDlg::colourTableCell(NMLVCUSTOMDRAW& draw) const
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const DWORD_PTR row = draw.nmcd.dwItemSpec;
        if (draw.iSubItem == 1 && row < m_differs.size() && m_differs[row] == 1) {
            draw.clrText = kWarningRed;
            return CDRF_NEWFONT;
        }
        draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

bool CStillDetailDlg::OnPaint()
{
    PaintDc paint(hwnd());
    paintPreview(paint.get());
    if (m_photo.doubtful) {
        RECT area{220, 100, 450, 120};
        DrawCaptionText(paint.get(), L"マッチングが正しくない可能性があります。", CaptionFont{-12, 0}, kWarningRed,
                        area, DT_CENTER | DT_VCENTER);
    }
    return true;
}

void CStillDetailDlg::paintPreview(HDC dc) const
{
    if (!m_preview.bitmap)
        return;
    const RECT fitted = fitIntoFrame(m_previewFrame, m_preview.pictureSize.cx, m_preview.pictureSize.cy);
    const SIZE size = BitmapSize(m_preview.bitmap.get());
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    if (!source)
        return;
    SelectedObject selected(source.get(), m_preview.bitmap.get());
    // Opaque: the decoded picture's alpha bytes mean nothing here.
    const BLENDFUNCTION opaque{AC_SRC_OVER, 0, 255, 0};
    AlphaBlend(dc, fitted.left, fitted.top, fitted.right - fitted.left, fitted.bottom - fitted.top, source.get(), 0,
               0, size.cx, size.cy, opaque);
}

}  // namespace vantora
