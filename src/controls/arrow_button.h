#pragma once
// The import window's owner-drawn arrow button (control 1025): its three
// pictures and its drawing, themed when the system offers themes, classic
// otherwise.

#include "controls/skinned_drawing.h"

#include <windows.h>

namespace vantora {

enum class ArrowState { normal, pressed, disabled };

// The arrow button's three icons, made from the 76 x 32 bitmaps 145
// (normal), 148 (pressed) and 146 (disabled) with black as the transparent
// colour, at the size of a DPI. A picture whose bitmap does not load stays
// null and is not drawn.
class ArrowImages {
public:
    ArrowImages() = default;
    // At another DPI than 96 the bitmaps are stretched first, keeping their
    // black exact, so that the mask stays clean.
    static ArrowImages Load(HINSTANCE module, int dpi);

    HICON icon(ArrowState state) const { return icons_[static_cast<int>(state)].get(); }
    SIZE size() const { return size_; }

private:
    UniqueIcon icons_[3];
    SIZE size_{0, 0};
};

// The caption under the arrow, in the unpressed button's client
// coordinates at 96 dpi. It is measured first, which fits the rectangle to
// its wrapped lines, and then drawn into that.
inline constexpr PaintedText kArrowCaption{L"位置情報をパソコンへ取り込む", CaptionFont{-14, FW_BOLD},
                                           RECT{10, 46, 90, 103}, DT_CENTER | DT_VCENTER | DT_WORDBREAK};

// Where the arrow and its caption go for one drawing of the button.
struct ArrowLayout {
    ArrowState state = ArrowState::normal;
    POINT picture{10, 10};
    PaintedText caption = kArrowCaption;
};

// The layout for a button in `itemState` (ODS_ flags) at `dpi`: disabled
// keeps the normal places, pressed moves picture and caption by (2, 2), all
// scaled from their places at 96 dpi.
ArrowLayout ArrowLayoutFor(UINT itemState, int dpi);

// WM_DRAWITEM handler of the import window, which is at `dpi`. Draws
// control 1025 (frame, picture and caption) and returns true; returns false
// for any other control, which then takes the default handling.
// `themeLibrary` is the loaded "uxtheme.dll" or null for the classic frame;
// `images` are those of the same DPI.
bool DrawArrowButton(const DRAWITEMSTRUCT& item, const ArrowImages& images, HMODULE themeLibrary, int dpi);

}  // namespace vantora
