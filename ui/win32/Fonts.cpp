#include "Fonts.h"

#include "Text.h"

#include <map>

namespace hakomaru::win32 {
namespace {

// Yu Gothic UI and Yu Mincho come with every Windows 10 and later; the MS
// faces and Meiryo come with Japanese Windows and with its Japanese fonts.
struct FaceFamily {
    std::wstring_view name, english, fallbacks[3];
};
constexpr FaceFamily kFamilies[] = {
    {L"ＭＳ Ｐゴシック", L"MS PGothic", {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"}},
    {L"ＭＳ ゴシック", L"MS Gothic", {L"Yu Gothic", L"Meiryo", L"MS Gothic"}},
    {L"ＭＳ Ｐ明朝", L"MS PMincho", {L"Yu Mincho", L"MS Mincho", L"Yu Gothic UI"}},
    {L"ＭＳ 明朝", L"MS Mincho", {L"Yu Mincho", L"MS PMincho", L"Yu Gothic UI"}},
};
constexpr std::wstring_view kAnyJapanese[] = {L"Yu Gothic UI", L"Meiryo UI"};

int CALLBACK foundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(const std::wstring& face) {
    if (face.empty() || face.size() >= LF_FACESIZE)
        return false;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, face.size());
    bool found = false;
    HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(screen, &query, foundFace, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

} // namespace

std::vector<std::wstring> faceCandidates(std::string_view face) {
    const std::wstring name = wide(face);
    for (const FaceFamily& family : kFamilies) {
        if (name == family.name || name == family.english) {
            std::vector<std::wstring> faces{std::wstring(family.name),
                                            std::wstring(family.english)};
            for (std::wstring_view fallback : family.fallbacks)
                faces.emplace_back(fallback);
            return faces;
        }
    }
    std::vector<std::wstring> faces{name};
    faces.insert(faces.end(), std::begin(kAnyJapanese), std::end(kAnyJapanese));
    return faces;
}

std::wstring installedFace(std::span<const std::wstring> candidates) {
    for (const std::wstring& face : candidates) {
        if (installed(face))
            return face;
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics.lfMessageFont.lfFaceName;
}

HFONT createFont(const Font& font, const Font& windowFont, UINT dpi) {
    // Installed faces are looked up once per run: the font list is long.
    static std::map<std::string, std::wstring, std::less<>> chosen;
    const std::string_view name = font.face.empty() ? windowFont.face : font.face;
    auto face = chosen.find(name);
    if (face == chosen.end())
        face = chosen.emplace(std::string(name), installedFace(faceCandidates(name))).first;

    LOGFONTW lf{};
    const bool inherit = font.pixels == 0 && font.points == 0;
    const Font& size = inherit ? windowFont : font;
    lf.lfHeight = size.points != 0 ? -::MulDiv(size.points, static_cast<int>(dpi), 72)
                                   : -::MulDiv(size.pixels, static_cast<int>(dpi), 96);
    lf.lfWeight = font.style & kBold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = font.style & kUnderline ? TRUE : FALSE;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    face->second.copy(lf.lfFaceName, LF_FACESIZE - 1);
    return ::CreateFontIndirectW(&lf);
}

} // namespace hakomaru::win32
