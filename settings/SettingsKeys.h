#pragma once
// Section and key names of the user settings file, as UTF-8 literals.
// The file holds them in code page 932: pass them through sjisName().
#include <string_view>

namespace hakomaru::settings_keys {

inline constexpr std::string_view kSettings = "Settings";
inline constexpr std::string_view kType = "Type";
inline constexpr std::string_view kWeb = "WEB";

// Section "Settings".
inline constexpr std::string_view kPosTop = "Pos_Top";
inline constexpr std::string_view kPosLeft = "Pos_Left";
inline constexpr std::string_view kSendingRow = "発送地";
inline constexpr std::string_view kDestinationRow = "届け先";
inline constexpr std::string_view kUseCatDaihiki = "代引利用";
inline constexpr std::string_view kHomeShipping = "自宅発送";
inline constexpr std::string_view kShowPostalAlways = "普通郵便表示";
inline constexpr std::string_view kShowExplain = "説明欄表示";
inline constexpr std::string_view kListRows = "行数";
inline constexpr std::string_view kListTextColor = "文字色";
inline constexpr std::string_view kTabIndex = "TabIndex";
inline constexpr std::string_view kShowPostal = "ShowPostal";
// The tariff editor's own settings file: its window's size and state
// besides Pos_Top and Pos_Left, and the widths of its side list and preview.
inline constexpr std::string_view kWidth = "Width";
inline constexpr std::string_view kHeight = "Height";
inline constexpr std::string_view kMaximized = "Maximized";
inline constexpr std::string_view kSideWidth = "SideWidth";
inline constexpr std::string_view kPreviewWidth = "PreviewWidth";

// Section "Type".
inline constexpr std::string_view kRemittanceMethod = "No";

// Section "WEB": the carriers' home pages, set only by editing the file.
inline constexpr std::string_view kYoupackHomePage = "ゆうパック";
inline constexpr std::string_view kCatHomePage = "クロネコ";

inline constexpr std::string_view kDefaultYoupackHomePage =
    "https://www.post.japanpost.jp/service/you_pack/";
inline constexpr std::string_view kDefaultCatHomePage = "https://www.kuronekoyamato.co.jp/";

} // namespace hakomaru::settings_keys
