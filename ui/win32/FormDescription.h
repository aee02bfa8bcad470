#pragma once
// A window described as data, without any toolkit: its controls (name, kind,
// parent, place at 96 dpi, caption, font, colours, tab order) and its menus.
// The Windows front end builds real controls from it. For now it also holds
// the one window the front end shows; the shared form tables take its place.
#include <cstdint>
#include <span>
#include <string_view>

namespace hakomaru::win32 {

// A colour as the windows and the settings file write it: 0x00BBGGRR, or
// 0x80000000 plus a system colour index.
using Colour = std::uint32_t;
inline constexpr Colour kSystemColour = 0x80000000;
inline constexpr Colour kWindowTextColour = kSystemColour | 8;
inline constexpr Colour kHighlightColour = kSystemColour | 13;
inline constexpr Colour kHighlightTextColour = kSystemColour | 14;
inline constexpr Colour kUnset = 0xFFFFFFFF; // the control's usual colour
constexpr Colour rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | g << 8 | b << 16;
}

enum class ControlKind {
    Label,         // text, transparent on the window
    GroupBox,      // a frame with a caption round other controls
    CheckBox,      // turns its caption to the hover colour under the pointer
    OwnerDrawList, // drop-down list whose rows of fixed height the window paints
    NumericEdit,   // one line, right-aligned, typed characters filtered
    Button,
    BevelText, // text in a soft sunken bevel
    LinkLabel, // a clickable label that changes its look under the pointer
};

enum FontStyle : unsigned { kPlain = 0, kBold = 1, kUnderline = 2 };
struct Font {
    std::string_view face; // empty: the window's font
    int pixels = 0;        // character height at 96 dpi (0: points below)
    unsigned style = kPlain;
    int points = 0; // size in points, when not in pixels
};

struct Bounds {
    int left, top, width, height;
};

struct Control {
    std::string_view name;
    ControlKind kind;
    std::string_view parent; // the group box it lies in, or empty for the window
    Bounds bounds;           // at 96 dpi, in its parent
    std::string_view caption;
    Font font{};
    Colour textColour = kUnset;
    int tabOrder = -1; // -1: not reached by Tab
    bool rightAligned = false;
    bool sizedToText = false; // keeps its aligned edge, width follows the text
    bool handCursor = false;
    bool popupMenu = false; // the window's popup menu opens on it
    int rowHeight = 0;      // lists: row height at 96 dpi
    int rowIndent = 0;      // lists: row text this far right of the row's left edge
    int visibleRows = 0;    // lists: rows shown when dropped down
    int maxLength = 0;      // edits: most characters
    // Edits: the characters the window's key hook lets through (before the
    // edit's own filter, kNumericEditKeys); empty lets every one through.
    std::u16string_view keys;
};

struct MenuItem {
    std::string_view name;
    std::string_view parent;  // the submenu it opens from; empty: the menu bar
    std::string_view caption; // "&" marks the mnemonic; "-" is a separator line
    bool enabled = true;
};

struct Form {
    std::string_view name;
    std::string_view title;
    int clientWidth, clientHeight; // at 96 dpi
    Font font;
    std::span<const Control> controls;
    std::span<const MenuItem> menu;  // the menu bar
    std::span<const MenuItem> popup; // the popup menu of the controls that ask for it
};

// The look of the control kinds, whatever window they are in.
// A numeric edit takes only backspace, "*", ",", "-", "." and the digits.
inline constexpr std::u16string_view kNumericEditKeys = u"\b*,-.0123456789";
// A check box's caption under the pointer.
inline constexpr Colour kCheckBoxHoverColour = rgb(0, 0, 255);
// A link label at rest: red, plain, on the window. Under the pointer: blue,
// bold and underlined, one point larger, on white.
inline constexpr Colour kLinkColour = rgb(255, 0, 0);
inline constexpr Colour kLinkHoverColour = rgb(0, 0, 255);
inline constexpr Colour kLinkHoverBackground = rgb(255, 255, 255);
inline constexpr int kLinkPoints = 9;
inline constexpr int kLinkHoverPoints = 10;

// ---------------------------------------------------------------------------
// The probe window: the first controls of the main window, enough to try
// every kind of control and every mechanism on the Windows API.

inline constexpr std::u16string_view kAmountKeys = u"\b.0123456789";
inline constexpr Font kGothic13{"ＭＳ ゴシック", 13};
inline constexpr Font kTotalFont{"ＭＳ Ｐ明朝", 19, kBold};

// GCC 12 warns of the members a designated initializer leaves to their
// defaults, which is what designated initializers are for.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
inline constexpr Control kProbeControls[] = {
    {"lblFrom", ControlKind::Label, "", {12, 14, 42, 12}, "発送地："},
    {.name = "cmbFrom",
     .kind = ControlKind::OwnerDrawList,
     .bounds = {56, 9, 137, 19},
     .font = kGothic13,
     .tabOrder = 5,
     .handCursor = true,
     .rowHeight = 13,
     .rowIndent = 2,
     .visibleRows = 24},
    {.name = "btnMap",
     .kind = ControlKind::Button,
     .bounds = {200, 9, 56, 19},
     .caption = "届け先：",
     .tabOrder = 0,
     .handCursor = true},
    {"lblDaihiki", ControlKind::Label, "", {254, 42, 72, 12}, "代引・要償額："},
    {.name = "edtDaihiki",
     .kind = ControlKind::NumericEdit,
     .bounds = {328, 37, 37, 21},
     .caption = "0",
     .font = {"ＭＳ Ｐゴシック", 13},
     .tabOrder = 1,
     .maxLength = 7,
     .keys = kAmountKeys},
    {"lblDaihiki2", ControlKind::Label, "", {368, 44, 24, 12}, "万円"},
    {.name = "grpYoupack",
     .kind = ControlKind::GroupBox,
     .bounds = {8, 69, 189, 144},
     .caption = "ゆうパック",
     .popupMenu = true},
    {.name = "chkYouSokutatsu",
     .kind = ControlKind::CheckBox,
     .parent = "grpYoupack",
     .bounds = {108, 20, 57, 13},
     .caption = "速達",
     .tabOrder = 2,
     .handCursor = true},
    {.name = "chkKakitome",
     .kind = ControlKind::CheckBox,
     .parent = "grpYoupack",
     .bounds = {108, 42, 57, 13},
     .caption = "書留",
     .tabOrder = 3,
     .handCursor = true},
    {.name = "lblYouTotal",
     .kind = ControlKind::Label,
     .parent = "grpYoupack",
     .bounds = {159, 115, 22, 19},
     .caption = "\u00A50",
     .font = kTotalFont,
     .textColour = rgb(255, 0, 0),
     .rightAligned = true,
     .sizedToText = true},
    {.name = "lblHelp",
     .kind = ControlKind::LinkLabel,
     .bounds = {216, 80, 84, 12},
     .caption = "はこ丸の使い方",
     .handCursor = true},
    {"lblDetail", ControlKind::Label, "", {8, 218, 385, 12}},
    {"stExplain", ControlKind::BevelText, "", {4, 236, 393, 29}},
};

inline constexpr MenuItem kProbeMenu[] = {
    {"mnuMain_View", "", "表示(&V)"},
    {"mnuMain_View_Postal", "mnuMain_View", "普通郵便・冊子小包...", false},
    {"mnuMain_Help", "", "ヘルプ(&H)"},
    {"mnuMain_Help_Use", "mnuMain_Help", "はこ丸の使い方"},
};

inline constexpr MenuItem kProbePopup[] = {
    {"mnuPopup_Copy_Line", "", "料金詳細をクリップボードにコピー"},
};

inline constexpr Form kProbeForm{
    .name = "frmMain",
    .title = "はこ丸",
    .clientWidth = 402,
    .clientHeight = 269,
    .font = {"ＭＳ Ｐゴシック", 12},
    .controls = kProbeControls,
    .menu = kProbeMenu,
    .popup = kProbePopup,
};
#pragma GCC diagnostic pop

// The prefecture rows' backgrounds by region group: the separator row that
// heads a group, then the places below it (北海道 has no heading).
struct RowColours {
    Colour heading, places;
};
inline constexpr RowColours kPrefectureGroupColours[] = {
    {0, rgb(0xFF, 0xFF, 0xAD)},
    {rgb(0xEF, 0xAD, 0x8C), rgb(0xEF, 0xDD, 0xC2)},
    {rgb(0xAE, 0xB9, 0x79), rgb(0xE8, 0xEB, 0xD3)},
    {rgb(0xAF, 0xC9, 0xB6), rgb(0xDC, 0xE8, 0xDF)},
    {rgb(0xA5, 0xA9, 0xD1), rgb(0xD8, 0xE0, 0xEF)},
    {rgb(0xD5, 0x69, 0xB0), rgb(0xEF, 0xDD, 0xEB)},
    {rgb(0xE3, 0xB0, 0x3D), rgb(0xFF, 0xF2, 0xD1)},
    {rgb(0xAC, 0x93, 0xCE), rgb(0xD1, 0xD5, 0xFA)},
};
inline constexpr Colour kSeparatorTextColour = rgb(255, 255, 255);

} // namespace hakomaru::win32
