#include "Settings.h"

#include "SettingsKeys.h"
#include "ini/EncodedName.h"
#include "ini/IniStore.h"
#include "ini/IniValues.h"
#include "text/Sjis.h"

#include <functional>
#include <system_error>
#include <utility>

namespace hakomaru {
namespace {

namespace k = settings_keys;

// Names as the file holds them (code page 932).
const std::string& n(std::string_view utf8) {
    return sjisName(utf8);
}

std::int32_t readSettingsInt(const IniStore& ini, std::string_view key, std::int32_t fallback) {
    return readInteger(ini, n(k::kSettings), n(key), fallback);
}

bool readSettingsBool(const IniStore& ini, std::string_view key, bool fallback) {
    return readBool(ini, n(k::kSettings), n(key), fallback);
}

void writeSettingsInt(IniStore& ini, std::string_view key, std::int32_t value) {
    writeInteger(ini, n(k::kSettings), n(key), value);
}

void writeSettingsBool(IniStore& ini, std::string_view key, bool value) {
    writeBool(ini, n(k::kSettings), n(key), value);
}

std::string readWebAddress(const std::filesystem::path& path, std::string_view key,
                           std::string_view fallback) {
    IniStore ini = IniStore::open(path);
    if (auto value = ini.find(n(k::kWeb), n(key)))
        return fromSjis(*value);
    return std::string(fallback);
}

// Reads the file, writes keys and saves it as one update under the
// writers' lock, so that another program saving meanwhile loses nothing; a
// settings folder of the user's own that does not exist yet is created
// first.
void updateSettingsFile(const std::filesystem::path& path,
                        const std::function<void(IniStore&)>& write) {
    std::error_code ec;
    if (!path.parent_path().empty())
        std::filesystem::create_directories(path.parent_path(), ec);
    IniStore::update(path, write);
}

} // namespace

std::filesystem::path settingsPathFor(const std::filesystem::path& programFile) {
    std::filesystem::path file = programFile;
    file.replace_extension(".ini");
    return file;
}

Settings::Settings(std::filesystem::path file) : path_(std::move(file)) {}

std::int32_t Settings::sendingRow() const {
    return readSettingsInt(IniStore::open(path_), k::kSendingRow, 0);
}

std::int32_t Settings::destinationRow() const {
    return readSettingsInt(IniStore::open(path_), k::kDestinationRow, 0);
}

StartPreferences Settings::startPreferences() const {
    const IniStore ini = IniStore::open(path_);
    const StartPreferences d;
    StartPreferences p;
    p.posTop = readSettingsInt(ini, k::kPosTop, d.posTop);
    p.posLeft = readSettingsInt(ini, k::kPosLeft, d.posLeft);
    p.useCatDaihiki = readSettingsBool(ini, k::kUseCatDaihiki, d.useCatDaihiki);
    p.homeShipping = readSettingsBool(ini, k::kHomeShipping, d.homeShipping);
    p.showExplain = readSettingsBool(ini, k::kShowExplain, d.showExplain);
    p.listRows = readSettingsInt(ini, k::kListRows, d.listRows);
    p.listTextColor = readSettingsInt(ini, k::kListTextColor, d.listTextColor);
    return p;
}

PostalAtStart Settings::postalAtStart() const {
    const IniStore ini = IniStore::open(path_);
    const PostalAtStart d;
    PostalAtStart p;
    p.showPostalAlways = readSettingsBool(ini, k::kShowPostalAlways, d.showPostalAlways);
    p.showPostal = readSettingsBool(ini, k::kShowPostal, d.showPostal);
    return p;
}

std::int32_t Settings::remittanceMethod() const {
    return readInteger(IniStore::open(path_), n(k::kType), n(k::kRemittanceMethod),
                       OptionValues{}.remittanceMethod);
}

std::string Settings::youpackHomePage() const {
    return readWebAddress(path_, k::kYoupackHomePage, k::kDefaultYoupackHomePage);
}

std::string Settings::catHomePage() const {
    return readWebAddress(path_, k::kCatHomePage, k::kDefaultCatHomePage);
}

std::int32_t Settings::postalTabIndex() const {
    return readSettingsInt(IniStore::open(path_), k::kTabIndex, 0);
}

OptionValues Settings::optionValues() const {
    const IniStore ini = IniStore::open(path_);
    const OptionValues d;
    OptionValues v;
    v.remittanceMethod = readInteger(ini, n(k::kType), n(k::kRemittanceMethod), d.remittanceMethod);
    v.useCatDaihiki = readSettingsBool(ini, k::kUseCatDaihiki, d.useCatDaihiki);
    v.homeShipping = readSettingsBool(ini, k::kHomeShipping, d.homeShipping);
    v.showPostalAlways = readSettingsBool(ini, k::kShowPostalAlways, d.showPostalAlways);
    v.showExplain = readSettingsBool(ini, k::kShowExplain, d.showExplain);
    v.listRows = readSettingsInt(ini, k::kListRows, d.listRows);
    v.listTextColor = readSettingsInt(ini, k::kListTextColor, d.listTextColor);
    return v;
}

void Settings::saveMainWindow(std::int32_t top, std::int32_t left, std::int32_t sendingRow,
                              std::int32_t destinationRow) const {
    updateSettingsFile(path_, [&](IniStore& ini) {
        writeSettingsInt(ini, k::kPosTop, top);
        writeSettingsInt(ini, k::kPosLeft, left);
        writeSettingsInt(ini, k::kSendingRow, sendingRow);
        writeSettingsInt(ini, k::kDestinationRow, destinationRow);
    });
}

void Settings::saveMainWindowRows(std::int32_t sendingRow, std::int32_t destinationRow) const {
    updateSettingsFile(path_, [&](IniStore& ini) {
        writeSettingsInt(ini, k::kSendingRow, sendingRow);
        writeSettingsInt(ini, k::kDestinationRow, destinationRow);
    });
}

void Settings::savePostalOpened() const {
    updateSettingsFile(path_, [](IniStore& ini) { writeSettingsBool(ini, k::kShowPostal, true); });
}

void Settings::savePostalClosed(std::int32_t tabIndex) const {
    updateSettingsFile(path_, [&](IniStore& ini) {
        writeSettingsInt(ini, k::kTabIndex, tabIndex);
        writeSettingsBool(ini, k::kShowPostal, false);
    });
}

WindowPlace Settings::windowPlace() const {
    const IniStore ini = IniStore::open(path_);
    WindowPlace place;
    place.left = readSettingsInt(ini, k::kPosLeft, 0);
    place.top = readSettingsInt(ini, k::kPosTop, 0);
    place.width = readSettingsInt(ini, k::kWidth, 0);
    place.height = readSettingsInt(ini, k::kHeight, 0);
    place.maximized = readSettingsBool(ini, k::kMaximized, false);
    place.sideWidth = readSettingsInt(ini, k::kSideWidth, 0);
    place.previewWidth = readSettingsInt(ini, k::kPreviewWidth, 0);
    if (place.width <= 0 || place.height <= 0)
        place.width = place.height = 0;
    return place;
}

void Settings::saveWindowPlace(const WindowPlace& place) const {
    saveEditorWindow(place, true);
}

void Settings::saveWindowSize(const WindowPlace& place) const {
    saveEditorWindow(place, false);
}

void Settings::saveEditorWindow(const WindowPlace& place, bool corner) const {
    updateSettingsFile(path_, [&](IniStore& ini) {
        if (corner) {
            writeSettingsInt(ini, k::kPosTop, place.top);
            writeSettingsInt(ini, k::kPosLeft, place.left);
        }
        writeSettingsInt(ini, k::kWidth, place.width);
        writeSettingsInt(ini, k::kHeight, place.height);
        writeSettingsBool(ini, k::kMaximized, place.maximized);
        writeSettingsInt(ini, k::kSideWidth, place.sideWidth);
        writeSettingsInt(ini, k::kPreviewWidth, place.previewWidth);
    });
}

void Settings::saveOptionValues(const OptionValues& values) const {
    updateSettingsFile(path_, [&](IniStore& ini) {
        writeInteger(ini, n(k::kType), n(k::kRemittanceMethod), values.remittanceMethod);
        writeSettingsBool(ini, k::kUseCatDaihiki, values.useCatDaihiki);
        writeSettingsBool(ini, k::kHomeShipping, values.homeShipping);
        writeSettingsBool(ini, k::kShowPostalAlways, values.showPostalAlways);
        writeSettingsBool(ini, k::kShowExplain, values.showExplain);
        writeSettingsInt(ini, k::kListRows, values.listRows);
        writeSettingsInt(ini, k::kListTextColor, values.listTextColor);
    });
}

} // namespace hakomaru
