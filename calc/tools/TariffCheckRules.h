#pragma once
// The tariff file's format rules, as checks of the re-check engine: the
// encoding, the lines and sections, the zone table, the fee tables and the
// single-valued entries, each check a unit that names the lines it reads.
#include "tools/TariffRecheck.h"

#include "tariff/TariffLayout.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hakomaru::detail {

class TariffFormatRules {
  public:
    explicit TariffFormatRules(RecheckEngine& engine) : e_(engine) {}

    // Adds every check to the engine, each run at once. False, adding no
    // more, where the file is saved in an encoding the other checks cannot
    // read (UTF-8).
    bool addChecks();
    // The file holds bytes that are not Shift-JIS. They are reported by
    // their column, which an edit before them on their line would move.
    bool reportsBadBytes() const { return e_.problemsOfUnit(0) > 0; }

  private:
    struct ZoneUse {
        std::string key;        // as first written: "第" + character + "地帯"
        std::string prefecture; // UTF-8
        std::size_t line;
        std::size_t position;
        std::vector<std::pair<std::size_t, std::size_t>> places = {}; // every (line, position)
    };

    // The zones one prefecture's row uses: (character, position).
    struct ZoneRow {
        std::optional<std::size_t> index; // its line
        std::vector<std::pair<char, std::size_t>> zones;
    };

    // The file as text.
    bool encoding();
    void structure();
    void entryStructure(std::size_t i, std::string_view section, std::size_t last);

    // The tables.
    const SectionSpan* requireSection(std::string_view section, const std::string& consequence);
    void checkFeeRow(std::size_t index, const FeeTable& table, std::int32_t discount = 0);
    void zoneTable();
    void zoneRow(int row, std::size_t header);
    std::map<char, ZoneUse> zoneUses();
    void youpackFees();
    void catFees();
    void keyedFees(Group group, const FeeTable& table, const std::string& consequence,
                   const std::function<std::string(std::size_t)>& missing);
    void letterFees();
    void bookFees();

    // The single-valued entries.
    void optionValue(const std::string& section, const std::string& key, int fallback);
    void options();

    RecheckEngine& e_;
    std::vector<ZoneRow> zoneRows_; // by sending row
    bool readable_ = true;          // in an encoding the other checks can read
};

} // namespace hakomaru::detail
