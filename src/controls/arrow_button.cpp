#include "controls/arrow_button.h"

#include "res/resource.h"

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

void DrawArrowPicture(HDC dc, HICON icon, POINT at)
{
    if (!icon)
        return;
    const int previousMode = SetMapMode(dc, MM_TEXT);
    DrawIconEx(dc, at.x, at.y, icon, kArrowWidth, kArrowHeight, 0, nullptr, DI_NORMAL);
    SetMapMode(dc, previousMode);
}

void DrawArrowCaption(HDC dc, const ArrowLayout& layout)
{
    const COLORREF colour =
        layout.state == ArrowState::disabled ? kDisabledCaptionColour : kCaptionColour;
    CaptionTextScope scope(dc, kArrowCaption.font, colour);
    RECT rect = layout.caption;
    DrawTextW(dc, kArrowCaption.text, -1, &rect, DT_CALCRECT | kArrowCaption.flags);
    DrawTextW(dc, kArrowCaption.text, -1, &rect, kArrowCaption.flags);
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

ArrowImages ArrowImages::Load(HINSTANCE module)
{
    ArrowImages images;
    UniqueImageList list(ImageList_Create(kArrowWidth, kArrowHeight, ILC_COLOR24 | ILC_MASK, 0, 3));
    if (!list)
        return images;
    // In the order of ArrowState: normal, pressed, disabled.
    const int resources[3] = {IDB_ARROW_NORMAL, IDB_ARROW_PRESSED, IDB_ARROW_DISABLED};
    int indexes[3] = {-1, -1, -1};
    for (int i = 0; i < 3; ++i) {
        UniqueBitmap bitmap(static_cast<HBITMAP>(
            LoadImageW(module, MAKEINTRESOURCEW(resources[i]), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        if (bitmap)
            indexes[i] = ImageList_AddMasked(list.get(), bitmap.get(), RGB(0, 0, 0));
    }
    TakeIcons(list.get(), indexes, images.icons_);
    return images;
}

ArrowLayout ArrowLayoutFor(UINT itemState)
{
    ArrowLayout layout;
    if (itemState & ODS_DISABLED) {
        layout.state = ArrowState::disabled;
    } else if (itemState & ODS_SELECTED) {
        layout.state = ArrowState::pressed;
        layout.picture = POINT{12, 12};
        OffsetRect(&layout.caption, 2, 2);
    }
    return layout;
}

bool DrawArrowButton(const DRAWITEMSTRUCT& item, const ArrowImages& images, HMODULE themeLibrary)
{
    if (item.CtlID != IDC_IMPORT_ARROW)
        return false;
    const ArrowLayout layout = ArrowLayoutFor(item.itemState);
    const ThemeApi theme = LookUpThemeApi(themeLibrary);
    if (theme.complete() && IsCommonControls6())
        DrawThemedFrame(theme, item);
    else
        DrawClassicFrame(item);
    DrawArrowPicture(item.hDC, images.icon(layout.state), layout.picture);
    DrawArrowCaption(item.hDC, layout);
    return true;
}

}  // namespace vantora
