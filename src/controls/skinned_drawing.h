#pragma once
// The drawing pieces of the windows' own look: owners of GDI objects and
// memory contexts, the font rule of every text a window paints itself, the
// transparent copy of a bitmap and the small title pictures.

#include <windows.h>

#include <memory>
#include <type_traits>

#include "ui/gdi_scopes.h"

namespace vantora {

// --- Owners of GDI objects and device contexts ---------------------------

using ui::GdiObjectDeleter;
using ui::UniqueFont;

struct MemoryDcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct LibraryDeleter {
    void operator()(HMODULE library) const { FreeLibrary(library); }
};

using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using UniquePen = std::unique_ptr<std::remove_pointer_t<HPEN>, GdiObjectDeleter>;
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryDeleter>;

// --- Painted texts -------------------------------------------------------

// Height and weight of a painted text (weight 0 is the default weight).
struct CaptionFont {
    int height;  // negative: character height in device units
    int weight;
};

// A text a window paints itself: the words, the font, the rectangle it is
// drawn into (client coordinates) and the DrawTextW flags. The windows paint
// from it, and the window tests measure from it whether it fits its place.
// Font height and rectangle are given for 96 dpi (see PaintedTextAt).
struct PaintedText {
    const wchar_t* text;
    CaptionFont font;
    RECT area;
    UINT flags;
};

// The painted text as a window at `dpi` draws it: its rectangle and its
// font's height scaled from their values at 96 dpi (see ui::fontHeightForDpi).
PaintedText PaintedTextAt(const PaintedText& text, int dpi);

// Draws a painted text (already at its window's DPI) by the caption font
// rule in `colour`.
void DrawPaintedText(HDC dc, const PaintedText& text, COLORREF colour);

// The font record of a painted text for a context whose selected text
// character set is `contextCharset`: only height, weight, character set
// (Thai becomes ANSI) and, for Shift-JIS, the face "ＭＳ Ｐゴシック".
LOGFONTW CaptionFontRecord(CaptionFont font, UINT contextCharset);

// Makes the caption font for `dc`, selects it and sets a transparent
// background and the colour; the destructor restores all three and deletes
// the font. Use it to measure and draw with one font.
class CaptionTextScope {
public:
    CaptionTextScope(HDC dc, CaptionFont font, COLORREF colour);
    ~CaptionTextScope();
    CaptionTextScope(const CaptionTextScope&) = delete;
    CaptionTextScope& operator=(const CaptionTextScope&) = delete;

private:
    HDC dc_;
    UniqueFont font_;
    HGDIOBJ previousFont_ = nullptr;
    int previousMode_;
    COLORREF previousColour_;
};

// Draws `text` by the caption font rule with DrawTextW and `flags`; with
// DT_CALCRECT it only adjusts `rect`. Returns DrawTextW's height.
int DrawCaptionText(HDC dc, const wchar_t* text, CaptionFont font, COLORREF colour, RECT& rect,
                    UINT flags);

// --- Bitmaps -------------------------------------------------------------

// Copies `bitmap` to (0, 0) of `target` in its own size, leaving the target
// as it was where the bitmap is pure white. The bitmap must not be selected
// into another context; it is unchanged afterwards. False when a context or
// work bitmap cannot be made (the target is then untouched).
bool DrawTransparentBitmap(HDC target, HBITMAP bitmap);

// Loads bitmap `resourceId` of the program and returns a picture of its size
// scaled to `dpi`, compatible with `window`'s client area, that shows it on
// the button-face colour (its white parts become button face). Null when it
// does not load.
UniqueBitmap MakeTitlePicture(HWND window, int resourceId, int dpi);

// A copy of `bitmap` stretched to `size` with the stretch mode `mode`
// (HALFTONE smooths, COLORONCOLOR keeps every colour exact, as a mask
// colour must stay), compatible with the screen; null on failure.
UniqueBitmap ScaledBitmap(HBITMAP bitmap, SIZE size, int mode);

// Copies `source` (of `size`) to (x, y) of `target`, stretched smoothly to
// that size scaled to `dpi`: a plain copy at 96 dpi.
bool DrawScaledPicture(HDC target, int x, int y, HDC source, SIZE size, int dpi);

// True when the common controls library in use is version 6 or later.
bool IsCommonControls6();

// Width and height of a bitmap, {0, 0} for none.
SIZE BitmapSize(HBITMAP bitmap);

}  // namespace vantora
