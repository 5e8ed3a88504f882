#include "controls/skinned_drawing.h"

#include "ui/dialog.h"
#include "ui/dpi.h"
#include "ui/gdi_scopes.h"

#include <shlwapi.h>

#include <cstdlib>
#include <cwchar>
#include <utility>

namespace vantora {

namespace {

constexpr COLORREF kTransparentWhite = RGB(255, 255, 255);
constexpr wchar_t kJapaneseCaptionFace[] = L"ＭＳ Ｐゴシック";

UniqueMemoryDc CompatibleDc(HDC target)
{
    return UniqueMemoryDc(CreateCompatibleDC(target));
}

}  // namespace

// --- Painted texts -------------------------------------------------------

LOGFONTW CaptionFontRecord(CaptionFont font, UINT contextCharset)
{
    LOGFONTW record{};
    record.lfHeight = font.height;
    record.lfWeight = font.weight;
    // Thai faces lack the glyphs of these texts; ANSI lets the mapper choose.
    const UINT charset = contextCharset == THAI_CHARSET ? ANSI_CHARSET : contextCharset;
    record.lfCharSet = static_cast<BYTE>(charset);
    if (charset == SHIFTJIS_CHARSET)
        wcsncpy(record.lfFaceName, kJapaneseCaptionFace, LF_FACESIZE - 1);
    return record;
}

CaptionTextScope::CaptionTextScope(HDC dc, CaptionFont font, COLORREF colour)
    : dc_(dc)
{
    const LOGFONTW record = CaptionFontRecord(font, static_cast<UINT>(GetTextCharset(dc)));
    font_.reset(CreateFontIndirectW(&record));
    if (font_)
        previousFont_ = SelectObject(dc, font_.get());
    previousMode_ = SetBkMode(dc, TRANSPARENT);
    previousColour_ = SetTextColor(dc, colour);
}

CaptionTextScope::~CaptionTextScope()
{
    SetTextColor(dc_, previousColour_);
    SetBkMode(dc_, previousMode_);
    // The font must leave the context before it is deleted (by font_).
    if (previousFont_ && previousFont_ != HGDI_ERROR)
        SelectObject(dc_, previousFont_);
}

int DrawCaptionText(HDC dc, const wchar_t* text, CaptionFont font, COLORREF colour, RECT& rect,
                    UINT flags)
{
    CaptionTextScope scope(dc, font, colour);
    return DrawTextW(dc, text, -1, &rect, flags);
}

PaintedText PaintedTextAt(const PaintedText& text, int dpi)
{
    PaintedText scaled = text;
    scaled.font.height = ui::fontHeightForDpi(text.font.height, dpi);
    scaled.area = ui::scaledForDpi(text.area, dpi);
    return scaled;
}

void DrawPaintedText(HDC dc, const PaintedText& text, COLORREF colour)
{
    RECT area = text.area;
    DrawCaptionText(dc, text.text, text.font, colour, area, text.flags);
}

// --- Bitmaps -------------------------------------------------------------

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof info, &info) != sizeof info)
        return SIZE{0, 0};
    return SIZE{info.bmWidth, std::abs(info.bmHeight)};
}

namespace {

// A memory context with its own bitmap selected for its lifetime.
struct WorkSurface {
    UniqueMemoryDc dc;
    UniqueBitmap bitmap;
    HGDIOBJ previous = nullptr;

    WorkSurface(HDC target, UniqueBitmap made) : dc(CompatibleDc(target)), bitmap(std::move(made))
    {
        if (dc && bitmap)
            previous = SelectObject(dc.get(), bitmap.get());
    }
    ~WorkSurface()
    {
        if (ok())
            SelectObject(dc.get(), previous);
    }
    WorkSurface(const WorkSurface&) = delete;
    WorkSurface& operator=(const WorkSurface&) = delete;
    bool ok() const { return previous && previous != HGDI_ERROR; }
    HDC get() const { return dc.get(); }
};

UniqueBitmap MonochromeBitmap(SIZE size)
{
    return UniqueBitmap(CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
}

UniqueBitmap ColourBitmap(HDC target, SIZE size)
{
    return UniqueBitmap(CreateCompatibleBitmap(target, size.cx, size.cy));
}

}  // namespace

bool DrawTransparentBitmap(HDC target, HBITMAP bitmap)
{
    UniqueMemoryDc source = CompatibleDc(target);
    if (!source)
        return false;
    ui::SelectedObject sourceBitmap(source.get(), bitmap);
    if (!sourceBitmap.ok())
        return false;
    const SIZE pixels = BitmapSize(bitmap);
    POINT logical{pixels.cx, pixels.cy};
    DPtoLP(source.get(), &logical, 1);
    const SIZE area{logical.x, logical.y};
    const int w = area.cx;
    const int h = area.cy;

    WorkSurface mask(target, MonochromeBitmap(area));
    WorkSurface inverseMask(target, MonochromeBitmap(area));
    WorkSurface work(target, ColourBitmap(target, area));
    WorkSurface save(target, ColourBitmap(target, area));
    if (!mask.ok() || !inverseMask.ok() || !work.ok() || !save.ok())
        return false;

    HDC src = source.get();
    SetMapMode(src, GetMapMode(target));
    BitBlt(save.get(), 0, 0, w, h, src, 0, 0, SRCCOPY);

    // Colour to monochrome: pixels of the background colour become 1.
    const COLORREF previousBackground = SetBkColor(src, kTransparentWhite);
    BitBlt(mask.get(), 0, 0, w, h, src, 0, 0, SRCCOPY);
    SetBkColor(src, previousBackground);
    BitBlt(inverseMask.get(), 0, 0, w, h, mask.get(), 0, 0, NOTSRCCOPY);

    // Keep the target under the white, the bitmap everywhere else.
    BitBlt(work.get(), 0, 0, w, h, target, 0, 0, SRCCOPY);
    BitBlt(work.get(), 0, 0, w, h, mask.get(), 0, 0, SRCAND);
    BitBlt(src, 0, 0, w, h, inverseMask.get(), 0, 0, SRCAND);
    BitBlt(work.get(), 0, 0, w, h, src, 0, 0, SRCPAINT);
    BitBlt(target, 0, 0, w, h, work.get(), 0, 0, SRCCOPY);

    // The caller's bitmap was cleared where white; give it back whole.
    BitBlt(src, 0, 0, w, h, save.get(), 0, 0, SRCCOPY);
    return true;
}

UniqueBitmap ScaledBitmap(HBITMAP bitmap, SIZE size, int mode)
{
    const SIZE from = BitmapSize(bitmap);
    ui::ClientDc screen(nullptr);
    UniqueMemoryDc source = CompatibleDc(screen.get());
    UniqueMemoryDc target = CompatibleDc(screen.get());
    UniqueBitmap scaled(CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
    if (!source || !target || !scaled)
        return nullptr;
    ui::SelectedObject selectedSource(source.get(), bitmap);
    ui::SelectedObject selectedTarget(target.get(), scaled.get());
    if (!selectedSource.ok() || !selectedTarget.ok())
        return nullptr;
    SetStretchBltMode(target.get(), mode);
    SetBrushOrgEx(target.get(), 0, 0, nullptr);  // as HALFTONE asks
    if (!StretchBlt(target.get(), 0, 0, size.cx, size.cy, source.get(), 0, 0, from.cx, from.cy, SRCCOPY))
        return nullptr;
    return scaled;
}

bool DrawScaledPicture(HDC target, int x, int y, HDC source, SIZE size, int dpi)
{
    if (dpi == ui::kBaseDpi)
        return BitBlt(target, x, y, size.cx, size.cy, source, 0, 0, SRCCOPY) != FALSE;
    const int previousMode = SetStretchBltMode(target, HALFTONE);
    POINT previousOrigin{};
    SetBrushOrgEx(target, 0, 0, &previousOrigin);
    const BOOL drawn = StretchBlt(target, x, y, ui::scaledForDpi(size.cx, dpi), ui::scaledForDpi(size.cy, dpi),
                                  source, 0, 0, size.cx, size.cy, SRCCOPY);
    SetBrushOrgEx(target, previousOrigin.x, previousOrigin.y, nullptr);
    SetStretchBltMode(target, previousMode);
    return drawn != FALSE;
}

UniqueBitmap MakeTitlePicture(HWND window, int resourceId, int dpi)
{
    UniqueBitmap loaded(static_cast<HBITMAP>(LoadImageW(ui::resourceModule(), MAKEINTRESOURCEW(resourceId),
                                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!loaded)
        return nullptr;
    const SIZE size = BitmapSize(loaded.get());
    ui::ClientDc client(window);
    if (!client.get())
        return nullptr;
    UniqueBitmap picture(CreateCompatibleBitmap(client.get(), size.cx, size.cy));
    UniqueMemoryDc dc = CompatibleDc(client.get());
    if (!picture || !dc)
        return nullptr;
    {
        ui::SelectedObject selected(dc.get(), picture.get());
        if (!selected.ok())
            return nullptr;
        RECT all{0, 0, size.cx, size.cy};
        FillRect(dc.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
        if (!DrawTransparentBitmap(dc.get(), loaded.get()))
            return nullptr;
    }
    if (dpi == ui::kBaseDpi)
        return picture;
    // Made once for the DPI, so that painting stays a plain copy.
    return ScaledBitmap(picture.get(), SIZE{ui::scaledForDpi(size.cx, dpi), ui::scaledForDpi(size.cy, dpi)},
                        HALFTONE);
}

bool IsCommonControls6()
{
    UniqueLibrary library(LoadLibraryW(L"ComCtl32.dll"));
    if (!library)
        return false;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), "DllGetVersion")));
    if (!getVersion)
        return false;
    DLLVERSIONINFO version{};
    version.cbSize = sizeof version;  // 20 bytes: the first version of the record
    if (FAILED(getVersion(&version)))
        return false;
    return version.dwMajorVersion > 5;
}

}  // namespace vantora
