#pragma once
// The small made-up tariff in data/Charge.ini (code page 932). Fees used
// below: zone table 東京 and 大阪 (東京 → 大阪 第3地帯, 東京 → 沖縄 第9地帯
// whose fees are not numbers), ゆうパック 第3地帯 from 1,100 yen by 100 per
// weight row, クロネコ 関東 → 近畿 1160/1370/... (less 100), 着払 25, 電信払込
// 料金0..7 = 0, 130, 230, 1050, 600, 700, 800, 900, letter mail row 4 = 120,
// book parcels 180, 215, 240, 310, ...
#include "ini/IniStore.h"
#include "tariff/Tariff.h"

#include <string>

inline const std::string kTestTariffPath = std::string(HAKOMARU_TEST_DATA_DIR) + "/Charge.ini";

inline const hakomaru::IniStore& testTariff() {
    static const hakomaru::IniStore tariff = hakomaru::readTariff(kTestTariffPath);
    return tariff;
}
