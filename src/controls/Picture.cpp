#include "controls/Picture.h"

#include "base/SkinBitmap.h"
#include "base/Units.h"

#include <cstdlib>
#include <vector>

namespace velm {
namespace {

ComPtr<IPicture> Wrap(PICTDESC& desc) {
    ComPtr<IPicture> pic;
    if (FAILED(::OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, pic.put_void()))) {
        return {};
    }
    return pic;
}

int ParseId(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) {
        return 0;
    }
    int id = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        id = id * 10 + (c - '0');
    }
    return id;
}

} // namespace

Picture Picture::FromBitmapResource(int id) {
    HANDLE h = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0,
                            LR_CREATEDIBSECTION);
    Picture p = FromBitmap(UniqueBitmap(static_cast<HBITMAP>(h)));
    if (p) {
        p.text_ = "bitmap:" + std::to_string(id);
    }
    return p;
}

Picture Picture::FromIconResource(int id) {
    HICON icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                 IMAGE_ICON, 0, 0, 0)); // its own size
    Picture p;
    if (!icon) {
        return p;
    }
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = icon;
    p.picture_ = Wrap(desc);
    if (!p.picture_) {
        ::DestroyIcon(icon);
        return p;
    }
    p.text_ = "icon:" + std::to_string(id);
    return p;
}

Picture Picture::FromBitmap(UniqueBitmap bitmap, UniquePalette palette) {
    Picture p;
    if (!bitmap) {
        return p;
    }
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap.get();
    // The palette stays ours: we free it after the picture has let its bitmap go.
    desc.bmp.hpal = nullptr;
    p.picture_ = Wrap(desc);
    if (!p.picture_) {
        return p;
    }
    bitmap.release();
    if (palette) {
        p.palette_ = std::make_shared<UniquePalette>(std::move(palette));
    }
    return p;
}

Picture Picture::FromText(std::string_view text) {
    if (text.substr(0, 7) == "bitmap:") {
        int id = ParseId(text.substr(7));
        return id ? FromBitmapResource(id) : Picture();
    }
    if (text.substr(0, 5) == "icon:") {
        int id = ParseId(text.substr(5));
        return id ? FromIconResource(id) : Picture();
    }
    return {};
}

bool Picture::IsIcon() const noexcept {
    SHORT type = PICTYPE_NONE;
    if (picture_) {
        picture_->get_Type(&type);
    }
    return type == PICTYPE_ICON;
}

long Picture::WidthHimetric() const {
    OLE_XSIZE_HIMETRIC w = 0;
    if (picture_) {
        picture_->get_Width(&w);
    }
    return w;
}

long Picture::HeightHimetric() const {
    OLE_YSIZE_HIMETRIC h = 0;
    if (picture_) {
        picture_->get_Height(&h);
    }
    return h;
}

SIZE Picture::PixelSize() const {
    SIZE s{0, 0};
    if (HBITMAP b = Bitmap()) {
        BITMAP info{};
        ::GetObjectW(b, sizeof(info), &info);
        s = {info.bmWidth, info.bmHeight};
    } else if (picture_) {
        s = {HimetricToPixels(WidthHimetric()), HimetricToPixels(HeightHimetric())};
    }
    return s;
}

HBITMAP Picture::Bitmap() const {
    if (!picture_ || IsIcon()) {
        return nullptr;
    }
    OLE_HANDLE h = 0;
    picture_->get_Handle(&h);
    return reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(h));
}

HICON Picture::Icon() const {
    if (!picture_ || !IsIcon()) {
        return nullptr;
    }
    OLE_HANDLE h = 0;
    picture_->get_Handle(&h);
    return reinterpret_cast<HICON>(static_cast<UINT_PTR>(h));
}

void Picture::Draw(HDC dc, int x, int y, int width, int height, bool smooth) const {
    if (HICON icon = Icon()) {
        ::DrawIconEx(dc, x, y, icon, width, height, 0, nullptr, DI_NORMAL);
        return;
    }
    HBITMAP bmp = Bitmap();
    if (!bmp) {
        return;
    }
    SIZE s = PixelSize();
    if (width == s.cx && height == s.cy) {
        UniqueMemoryDc src(::CreateCompatibleDC(dc));
        if (!src) {
            return;
        }
        SelectScope sel(src.get(), bmp);
        ::BitBlt(dc, x, y, width, height, src.get(), 0, 0, SRCCOPY);
        return;
    }
    if (smooth) {
        SkinPixels pixels = ReadSkinPixels(bmp);
        DrawSkin(dc, x, y, width, height, pixels.View(), 0, 0, pixels.width, pixels.height);
        return;
    }
    UniqueMemoryDc src(::CreateCompatibleDC(dc));
    if (!src) {
        return;
    }
    SelectScope sel(src.get(), bmp);
    int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, x, y, width, height, src.get(), 0, 0, s.cx, s.cy, SRCCOPY);
    ::SetStretchBltMode(dc, oldMode);
}

Picture Picture::CopyRect(HDC reference, int x, int y, int width, int height,
                          bool throughPalette) const {
    HBITMAP bmp = Bitmap();
    if (!bmp || width <= 0 || height <= 0) {
        return {};
    }
    UniqueMemoryDc dst(::CreateCompatibleDC(reference));
    UniqueMemoryDc src(::CreateCompatibleDC(reference));
    if (!dst || !src) {
        return {};
    }
    UniquePalette palette;
    if (throughPalette) {
        std::vector<unsigned char> buffer(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
        auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
        log->palVersion = 0x300;
        log->palNumEntries = 256;
        ::GetSystemPaletteEntries(reference, 0, 256, log->palPalEntry);
        palette.reset(::CreatePalette(log));
    }
    UniqueBitmap copy(::CreateCompatibleBitmap(reference, width, height));
    if (!copy) {
        return {};
    }
    {
        HPALETTE oldPalette = nullptr;
        if (palette) {
            oldPalette = ::SelectPalette(dst.get(), palette.get(), FALSE);
            ::RealizePalette(dst.get());
        }
        SelectScope selDst(dst.get(), copy.get());
        SelectScope selSrc(src.get(), bmp);
        ::BitBlt(dst.get(), 0, 0, width, height, src.get(), x, y, SRCCOPY);
        if (oldPalette) {
            ::SelectPalette(dst.get(), oldPalette, FALSE);
        }
    }
    return FromBitmap(std::move(copy), std::move(palette));
}

} // namespace velm
