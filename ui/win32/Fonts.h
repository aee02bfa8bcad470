#pragma once
// Fonts by the names the windows give, at the window's dpi. A name that is
// not installed falls back to Japanese faces that Windows ships everywhere,
// last to the system's message font, which reaches Japanese through font
// linking; never to a face that draws Japanese as empty boxes.
#include "FormDescription.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

namespace hakomaru::win32 {

// The faces to try for a named face, best first: the name, its English
// name, then the faces of its kind that Windows ships everywhere.
std::vector<std::wstring> faceCandidates(std::string_view face);

// The first installed face of `candidates`, or the message font's face.
std::wstring installedFace(std::span<const std::wstring> candidates);

// `font` at `dpi`, its unset parts taken from `windowFont`. Shift-JIS
// character set, as the windows' fonts are.
HFONT createFont(const Font& font, const Font& windowFont, UINT dpi);

} // namespace hakomaru::win32
