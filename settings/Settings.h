#pragma once
// The user settings file: preferences and window state kept between runs.
//
// Every access follows one pattern: open the file into an IniStore, read or
// write, save after writing, release. Nothing stays open, so each access
// sees what another window (or another copy of the program) saved before.
// A missing file reads as empty and is created by the first save. Values
// are returned as read, out-of-range ones included: the windows decide.
// Writes throw hakomaru::SaveError and leave the old file as it was.
#include "SettingsLocation.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace hakomaru {

// The program file's path with its extension replaced by ".ini"; a name
// without an extension (as on Linux) gains ".ini".
std::filesystem::path settingsPathFor(const std::filesystem::path& programFile);

// 0x80000008: the system's window-text colour, written as -2147483640.
inline constexpr std::int32_t kWindowTextColor = static_cast<std::int32_t>(0x80000008u);

// What the main window reads in one access at creation.
struct StartPreferences {
    std::int32_t posTop = 0;        // Settings/Pos_Top
    std::int32_t posLeft = 0;       // Settings/Pos_Left
    bool useCatDaihiki = false;     // Settings/代引利用
    bool homeShipping = false;      // Settings/自宅発送
    bool showExplain = true;        // Settings/説明欄表示
    std::int32_t listRows = 24;     // Settings/行数
    std::int32_t listTextColor = kWindowTextColor; // Settings/文字色
};

// What the options window reads at creation and writes on OK.
struct OptionValues {
    std::int32_t remittanceMethod = 8; // Type/No
    bool useCatDaihiki = false;
    bool homeShipping = false;
    bool showPostalAlways = false; // Settings/普通郵便表示
    bool showExplain = true;
    std::int32_t listRows = 24;
    std::int32_t listTextColor = kWindowTextColor;
};

// Settings/普通郵便表示 and Settings/ShowPostal, read when the main window shows.
struct PostalAtStart {
    bool showPostalAlways = false;
    bool showPostal = false;
};

// A window's place: its frame's top-left corner and its client area's size
// in the window system's pixels; width 0 when none is saved. For the tariff
// editor also the widths of its side list and its preview beside the
// tables; 0 when none is saved.
struct WindowPlace {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    bool maximized = false;
    std::int32_t sideWidth = 0, previewWidth = 0;
};

class Settings {
public:
    explicit Settings(std::filesystem::path file);
    const std::filesystem::path& path() const { return path_; }

    std::int32_t sendingRow() const;     // Settings/発送地, default 0
    std::int32_t destinationRow() const; // Settings/届け先, default 0
    StartPreferences startPreferences() const;
    PostalAtStart postalAtStart() const;
    std::int32_t remittanceMethod() const; // Type/No, default 8
    std::string youpackHomePage() const;   // WEB/ゆうパック, UTF-8, built-in default
    std::string catHomePage() const;       // WEB/クロネコ
    std::int32_t postalTabIndex() const;   // Settings/TabIndex, default 0
    OptionValues optionValues() const;
    // The tariff editor's window: Settings/Pos_Left, Pos_Top, Width, Height,
    // Maximized, SideWidth, PreviewWidth; width 0 unless Width and Height are
    // both above 0.
    WindowPlace windowPlace() const;

    // Main window close: Pos_Top, Pos_Left, 発送地, 届け先 in that order.
    void saveMainWindow(std::int32_t top, std::int32_t left, std::int32_t sendingRow,
                        std::int32_t destinationRow) const;
    // Main window close where the window system does not tell the window's
    // place: 発送地, 届け先; Pos_Top and Pos_Left stay as they were.
    void saveMainWindowRows(std::int32_t sendingRow, std::int32_t destinationRow) const;
    // Postal window creation: ShowPostal = true.
    void savePostalOpened() const;
    // Postal window close: TabIndex, then ShowPostal = false.
    void savePostalClosed(std::int32_t tabIndex) const;
    // Options window OK: Type/No, then 代引利用, 自宅発送, 普通郵便表示, 説明欄表示, 行数, 文字色.
    void saveOptionValues(const OptionValues& values) const;
    // Tariff editor close: Pos_Top, Pos_Left, then as saveWindowSize.
    void saveWindowPlace(const WindowPlace& place) const;
    // Tariff editor close where the window system does not tell the
    // window's place: Width, Height, Maximized, SideWidth, PreviewWidth;
    // Pos_Top and Pos_Left stay as they were.
    void saveWindowSize(const WindowPlace& place) const;

private:
    void saveEditorWindow(const WindowPlace& place, bool corner) const;

    std::filesystem::path path_;
};

} // namespace hakomaru
