#include "controls/UiFont.h"

#include "base/WindowDpi.h"
#include "base/Text.h"

#include <cwchar>
#include <string>

namespace velm {
namespace {

UniqueFont Make(const FontInfo& info, const std::wstring& face, int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = info.LogicalHeight(dpi);
    lf.lfWeight = info.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = info.italic ? TRUE : FALSE;
    lf.lfUnderline = info.underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    std::wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return UniqueFont(::CreateFontIndirectW(&lf));
}

bool FaceMatches(HFONT font, const std::wstring& face) {
    WindowDc screen(nullptr);
    SelectScope sel(screen.get(), font);
    wchar_t got[LF_FACESIZE] = {};
    ::GetTextFaceW(screen.get(), LF_FACESIZE, got);
    return _wcsicmp(got, face.c_str()) == 0;
}

const wchar_t* EnglishName(const std::wstring& face) {
    static const struct {
        const wchar_t* chinese;
        const wchar_t* english;
    } names[] = {{L"宋体", L"SimSun"},
                 {L"新宋体", L"NSimSun"},
                 {L"黑体", L"SimHei"},
                 {L"微软雅黑", L"Microsoft YaHei"}};
    for (const auto& n : names) {
        if (face == n.chinese) {
            return n.english;
        }
    }
    return nullptr;
}

} // namespace

UniqueFont CreateUiFont(const FontInfo& info, HWND window) {
    const int dpi = WindowDpi(window);
    std::wstring face = Widen(info.name);
    UniqueFont font = Make(info, face, dpi);
    if (font && !FaceMatches(font.get(), face)) {
        if (const wchar_t* english = EnglishName(face)) {
            UniqueFont other = Make(info, english, dpi);
            if (other) {
                font = std::move(other);
            }
        }
    }
    return font;
}

COLORREF TranslateColour(std::uint32_t colour) {
    if (colour & 0x80000000u) {
        return ::GetSysColor(static_cast<int>(colour & 0xFF));
    }
    return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

} // namespace velm
