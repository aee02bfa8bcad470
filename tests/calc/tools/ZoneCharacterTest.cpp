// What a zone may be, over every byte: the checker, the quote, `set` and
// the editor's cell editor take the same bytes as zones and refuse the same.
#include "ini/IniStore.h"
#include "quote/QuoteYoupack.h"
#include "tariff/TariffInput.h"
#include "text/Sjis.h"
#include "tools/TariffCheck.h"
#include "tools/TariffEdit.h"

#include <gtest/gtest.h>

namespace {

using namespace hakomaru;

const std::string kShipped = readFileBytes(HAKOMARU_SHIPPED_DATA_DIR "/Charge.ini");

// A visible single-byte character; "=" cannot be written in a fee row's key.
bool isZone(int b) {
    return (b > 0x20 && b < 0x7F && b != '=') || (b >= 0xA1 && b <= 0xDF);
}

TEST(ZoneCharacter, EveryByteTakenOrRefusedAlike) {
    const std::string tokyo = toSjis("東京  =");
    const size_t osaka = kShipped.find(tokyo) + tokyo.size() + 30; // destination row 30
    const std::string header = toSjis("[ゆうパック]\r\n");
    const std::string fees = "000 600 700 750 800 900100011001200125013001400150017502000\r\n";
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const char c = static_cast<char>(b);
        // The file with a fee row for the zone (the shipped zones have theirs).
        std::string withFees = kShipped;
        if (!IniStore(kShipped).find(toSjis("ゆうパック"), toSjis("第") + c + toSjis("地帯")))
            withFees.insert(withFees.find(header) + header.size(),
                            toSjis("第") + c + toSjis("地帯=") + fees);
        std::string withZone = withFees;
        withZone[osaka] = c;

        EXPECT_EQ(checkTariff(withZone).empty(), isZone(b));

        const IniStore store(withZone);
        TYoupackRequest request;
        request.FromCaption = "東京";
        request.ToRow = 30;
        bool priced = true;
        try {
            const TParcelQuote quote = QuoteYoupack(store, request);
            EXPECT_EQ(quote.Caption, "ゆうパック 第" + fromSjis(std::string(1, c)) + "地帯");
        } catch (const std::exception&) {
            priced = false;
        }
        EXPECT_EQ(priced, isZone(b));

        TariffDocument document(withFees);
        const auto at = std::get<TariffAddress>(document.find("地帯区分", "東京", "大阪"));
        const std::string typed = fromSjis(std::string(1, c));
        EXPECT_EQ(readTyped(document.inputRule(at), typed).state == TypedState::Accepted,
                  isZone(b));
        EXPECT_EQ(!document.set(at, typed), isZone(b));
        if (isZone(b)) {
            EXPECT_EQ(document.bytes(), withZone);
        }
    }
}

} // namespace
