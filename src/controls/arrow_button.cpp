#include "controls/arrow_button.h"

#include "res/resource.h"
#include "ui/dpi.h"

#include <commctrl.h>

namespace vantora {

namespace {

constexpr int kArrowWidth = 76;
constexpr int kArrowHeight = 32;
constexpr COLORREF kCaptionColour = RGB(0, 0, 0);
constexpr COLORREF kDisabledCaptionColour = RGB(225, 225, 225);

// Theme parts and states of a push button (vsstyle.h).
constexpr int kPushButtonPart = 1;
constexpr int kThemeNormal = 1;
constexpr int kThemePressed = 3;
constexpr int kThemeDisabled = 4;
constexpr int kThemeDefaulted = 5;

using OpenThemeDataProc = HANDLE(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataProc = HRESULT(WINAPI*)(HANDLE);
using DrawThemeBackgroundProc = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);

template <typename Proc>
Proc ThemeExport(HMODULE library, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

struct ThemeApi {
    OpenThemeDataProc open = nullptr;
    CloseThemeDataProc close = nullptr;
    DrawThemeBackgroundProc drawBackground = nullptr;

    bool complete() const { return open && close && drawBackground; }
};

ThemeApi LookUpThemeApi(HMODULE library)
{
    ThemeApi api;
    if (!library)
        return api;
    api.open = ThemeExport<OpenThemeDataProc>(library, "OpenThemeData");
    api.close = ThemeExport<CloseThemeDataProc>(library, "CloseThemeData");
    api.drawBackground = ThemeExport<DrawThemeBackgroundProc>(library, "DrawThemeBackground");
    return api;
}

int ThemeStateFor(UINT itemState)
{
    if (itemState & ODS_DISABLED)
        return kThemeDisabled;
    if (itemState & ODS_SELECTED)
        return kThemePressed;
    return (itemState & ODS_FOCUS) ? kThemeDefaulted : kThemeNormal;
}

// Without a theme for the button, no frame at all: only picture and caption.
void DrawThemedFrame(const ThemeApi& api, const DRAWITEMSTRUCT& item)
{
    HANDLE theme = api.open(item.hwndItem, L"BUTTON");
    if (!theme)
        return;
    api.drawBackground(theme, item.hDC, kPushButtonPart, ThemeStateFor(item.itemState), &item.rcItem,
                       nullptr);
    api.close(theme);
}

void DrawClassicFrame(const DRAWITEMSTRUCT& item)
{
    UINT state = DFCS_BUTTONPUSH;
    if (item.itemState & ODS_DISABLED)
        state |= DFCS_INACTIVE;
    else if (item.itemState & ODS_SELECTED)
        state |= DFCS_PUSHED;
    RECT frame = item.rcItem;
    DrawFrameControl(item.hDC, &frame, DFC_BUTTON, state);
}

void DrawArrowPicture(HDC dc, HICON icon, POINT at, SIZE size)
{
    if (!icon)
        return;
    const int previousMode = SetMapMode(dc, MM_TEXT);
    DrawIconEx(dc, at.x, at.y, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
    SetMapMode(dc, previousMode);
}

void DrawArrowCaption(HDC dc, const ArrowLayout& layout)
{
    const COLORREF colour =
        layout.state == ArrowState::disabled ? kDisabledCaptionColour : kCaptionColour;
    const PaintedText& caption = layout.caption;
    CaptionTextScope scope(dc, caption.font, colour);
    RECT rect = caption.area;
    DrawTextW(dc, caption.text, -1, &rect, DT_CALCRECT | caption.flags);
    DrawTextW(dc, caption.text, -1, &rect, caption.flags);
}

// The arrow bitmap at the size of `dpi`: as it is at 96 dpi, else stretched
// without blending, so that its black (the mask colour) stays pure black.
UniqueBitmap ArrowBitmap(HINSTANCE module, int resourceId, int dpi)
{
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap || dpi == ui::kBaseDpi)
        return bitmap;
    return ScaledBitmap(bitmap.get(), SIZE{ui::scaledForDpi(kArrowWidth, dpi), ui::scaledForDpi(kArrowHeight, dpi)},
                        COLORONCOLOR);
}

// Icons of the image-list entries in `indexes`; a missing entry (-1) gives
// a null icon.
void TakeIcons(HIMAGELIST list, const int (&indexes)[3], UniqueIcon (&icons)[3])
{
    for (int i = 0; i < 3; ++i) {
        if (indexes[i] >= 0)
            icons[i].reset(ImageList_GetIcon(list, indexes[i], ILD_NORMAL));
    }
}

struct ImageListDeleter {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;

}  // namespace

ArrowImages ArrowImages::Load(HINSTANCE module, int dpi)
{
    ArrowImages images;
    images.size_ = SIZE{ui::scaledForDpi(kArrowWidth, dpi), ui::scaledForDpi(kArrowHeight, dpi)};
    UniqueImageList list(ImageList_Create(images.size_.cx, images.size_.cy, ILC_COLOR24 | ILC_MASK, 0, 3));
    if (!list)
        return images;
    // In the order of ArrowState: normal, pressed, disabled.
    const int resources[3] = {IDB_ARROW_NORMAL, IDB_ARROW_PRESSED, IDB_ARROW_DISABLED};
    int indexes[3] = {-1, -1, -1};
    for (int i = 0; i < 3; ++i) {
        const UniqueBitmap bitmap = ArrowBitmap(module, resources[i], dpi);
        if (bitmap)
            indexes[i] = ImageList_AddMasked(list.get(), bitmap.get(), RGB(0, 0, 0));
    }
    TakeIcons(list.get(), indexes, images.icons_);
    return images;
}

ArrowLayout ArrowLayoutFor(UINT itemState, int dpi)
{
    ArrowLayout layout;
    if (itemState & ODS_DISABLED) {
        layout.state = ArrowState::disabled;
    } else if (itemState & ODS_SELECTED) {
        layout.state = ArrowState::pressed;
        layout.picture = POINT{12, 12};
        OffsetRect(&layout.caption.area, 2, 2);
    }
    layout.picture = POINT{ui::scaledForDpi(layout.picture.x, dpi), ui::scaledForDpi(layout.picture.y, dpi)};
    layout.caption = PaintedTextAt(layout.caption, dpi);
    return layout;
}

bool DrawArrowButton(const DRAWITEMSTRUCT& item, const ArrowImages& images, HMODULE themeLibrary, int dpi)
{
    if (item.CtlID != IDC_IMPORT_ARROW)
        return false;
    const ArrowLayout layout = ArrowLayoutFor(item.itemState, dpi);
    const ThemeApi theme = LookUpThemeApi(themeLibrary);
    if (theme.complete() && IsCommonControls6())
        DrawThemedFrame(theme, item);
    else
        DrawClassicFrame(item);
    DrawArrowPicture(item.hDC, images.icon(layout.state), layout.picture, images.size());
    DrawArrowCaption(item.hDC, layout);
    return true;
}

}  // namespace vantora
