#include "controls/skin_images.h"

#include "res/resource.h"
#include "ui/dialog.h"
#include "ui/gdi_scopes.h"

namespace vantora {

namespace {

SkinImages* currentSkinImages = nullptr;

const SkinImage* imageFor(int id, const SkinImages& images)
{
    switch (id) {
    case IDB_HEADER:
        return &images.headerStrip;
    case IDB_ABOUT:
        return &images.aboutArtwork;
    default:
        return nullptr;
    }
}

}  // namespace

SkinImage LoadSkinImage(HINSTANCE module, int resourceId)
{
    SkinImage image;
    image.bitmap.reset(static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    const SIZE size = BitmapSize(image.bitmap.get());
    image.width = size.cx;
    image.height = size.cy;
    return image;
}

SkinImages::SkinImages(HINSTANCE module)
    : headerStrip(LoadSkinImage(module, IDB_HEADER)), aboutArtwork(LoadSkinImage(module, IDB_ABOUT))
{
}

SkinImages* skinImages()
{
    return currentSkinImages;
}

void setSkinImages(SkinImages* images)
{
    currentSkinImages = images;
}

SkinImagesInstallation::SkinImagesInstallation() : images_(ui::resourceModule())
{
    setSkinImages(&images_);
}

SkinImagesInstallation::~SkinImagesInstallation()
{
    if (skinImages() == &images_)
        setSkinImages(nullptr);
}

bool DrawSkinImage(int id, HDC dc, int dpi)
{
    const SkinImages* images = skinImages();
    const SkinImage* image = images ? imageFor(id, *images) : nullptr;
    if (!image || !image->loaded())
        return false;
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    if (!source)
        return false;
    ui::SelectedObject selected(source.get(), image->bitmap.get());
    if (!selected.ok())
        return false;
    return DrawScaledPicture(dc, 0, 0, source.get(), SIZE{image->width, image->height}, dpi);
}

}  // namespace vantora
