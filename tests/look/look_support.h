#pragma once
// Helpers of the look tests: a memory surface whose pixels can be read, the
// program's bitmaps, and a count of the process's GDI objects.

#include "controls/skinned_drawing.h"
#include "ui/dialog.h"
#include "ui/gdi_scopes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace vantora::look {

// A colour bitmap of the screen's format selected into its own context.
class Surface {
public:
    Surface(int width, int height, COLORREF fill)
        : screen_(nullptr), bitmap_(CreateCompatibleBitmap(screen_.get(), width, height)),
          dc_(CreateCompatibleDC(screen_.get())), selected_(dc_.get(), bitmap_.get())
    {
        RECT all{0, 0, width, height};
        SetBkColor(dc_.get(), fill);
        ExtTextOutW(dc_.get(), 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);  // fills without a brush
    }
    HDC dc() const { return dc_.get(); }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_.get(), x, y); }

private:
    ui::ClientDc screen_;
    UniqueBitmap bitmap_;
    UniqueMemoryDc dc_;
    ui::SelectedObject selected_;
};

inline UniqueBitmap LoadProgramBitmap(int id)
{
    return UniqueBitmap(static_cast<HBITMAP>(
        LoadImageW(ui::resourceModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

// Pixel (x, y) of a bitmap that is selected nowhere.
inline COLORREF BitmapPixel(HBITMAP bitmap, int x, int y)
{
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    ui::SelectedObject selected(dc.get(), bitmap);
    return GetPixel(dc.get(), x, y);
}

// Live GDI objects of the process. Windows counts them; Wine's
// GetGuiResources answers 0, but its handle table accepts a bare slot
// number (no generation bits), so there the slots in use are counted.
inline std::size_t GdiObjectCount()
{
    if (const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return counted;
    std::size_t inUse = 0;
    for (std::uintptr_t slot = 1; slot < 0x10000; ++slot)
        inUse += GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0;
    return inUse;
}

// Whether `paint` leaves GDI objects behind over 100 runs. The first run
// lets the system make its one-time objects; the probe shows that the count
// sees a new object at all.
template <typename Paint>
::testing::AssertionResult LeavesNoGdiObjects(Paint paint)
{
    paint();
    const std::size_t before = GdiObjectCount();
    UniqueBitmap probe(CreateBitmap(1, 1, 1, 1, nullptr));
    if (GdiObjectCount() != before + 1)
        return ::testing::AssertionFailure() << "the GDI object count does not see a new bitmap";
    probe.reset();
    for (int i = 0; i < 100; ++i)
        paint();
    const std::size_t after = GdiObjectCount();
    if (after > before + 2)
        return ::testing::AssertionFailure() << "GDI objects grew from " << before << " to " << after;
    return ::testing::AssertionSuccess();
}

}  // namespace vantora::look
