#pragma once
// The import window's owner-drawn arrow button (control 1025): its three
// pictures and its drawing, themed when the system offers themes, classic
// otherwise.

#include "controls/skinned_drawing.h"

#include <windows.h>

namespace vantora {

enum class ArrowState { normal, pressed, disabled };

// The arrow button's three 76 x 32 icons, made from bitmaps 145 (normal),
// 148 (pressed) and 146 (disabled) with black as the transparent colour.
// A picture whose bitmap does not load stays null and is not drawn.
class ArrowImages {
public:
    ArrowImages() = default;
    static ArrowImages Load(HINSTANCE module);

    HICON icon(ArrowState state) const { return icons_[static_cast<int>(state)].get(); }

private:
    UniqueIcon icons_[3];
};

// The caption under the arrow, in the unpressed button's client
// coordinates. It is measured first, which fits the rectangle to its wrapped
// lines, and then drawn into that.
inline constexpr PaintedText kArrowCaption{L"位置情報をパソコンへ取り込む", CaptionFont{-14, FW_BOLD},
                                           RECT{10, 46, 90, 103}, DT_CENTER | DT_VCENTER | DT_WORDBREAK};

// Where the arrow and its caption go for one drawing of the button.
struct ArrowLayout {
    ArrowState state = ArrowState::normal;
    POINT picture{10, 10};
    RECT caption = kArrowCaption.area;
};

// The layout for a button in `itemState` (ODS_ flags): disabled keeps the
// normal places, pressed moves picture and caption by (2, 2).
ArrowLayout ArrowLayoutFor(UINT itemState);

// WM_DRAWITEM handler of the import window. Draws control 1025 (frame,
// picture and caption) and returns true; returns false for any other
// control, which then takes the default handling. `themeLibrary` is the
// loaded "uxtheme.dll" or null for the classic frame.
bool DrawArrowButton(const DRAWITEMSTRUCT& item, const ArrowImages& images, HMODULE themeLibrary);

}  // namespace vantora
