// All four quotes over fuzzed tariff bytes and fuzzed requests. A quote
// either succeeds or fails with the conversion message; every text it
// returns is valid UTF-8, since windows and the quote tool show it.
#include "quote/QuoteCat.h"
#include "quote/QuotePostal.h"
#include "quote/QuoteYoupack.h"
#include "tariff/Catalogues.h"
#include "text/ConversionError.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace hakomaru;

namespace {

// Reads request fields from the front of the input.
class Cursor {
public:
    Cursor(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    bool flag() { return byte() & 1; }
    int row(int span) { return static_cast<int>(byte()) % (span + 4) - 2; }
    std::string text() {
        static const char* const kTexts[] = {"", "0", "1", "5", "10.5", "30", "200", ".", "abc",
                                             "1e30", "-3", "007", "2x", "99999999999"};
        return kTexts[byte() % (sizeof kTexts / sizeof *kTexts)];
    }
    std::string rest() const {
        return std::string(reinterpret_cast<const char*>(data_) + pos_, size_ - pos_);
    }

private:
    const std::uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

bool validUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

template <typename Quote> void expectQuoteOrConversionError(Quote quote) {
    try {
        if (!validUtf8(quote()))
            std::abort();
    } catch (const ConversionError& e) {
        if (!validUtf8(e.what()))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    Cursor in(data, size);
    TYoupackRequest you;
    you.FromCaption = std::string(PrefectureRows(false)[in.byte() % kSendingRowCount]);
    you.ToRow = in.row(55);
    you.WeightRow = in.row(14);
    you.Cyaku = in.flag(), you.Sokutatsu = in.flag(), you.Shitei = in.flag();
    you.Kakitome = in.flag(), you.Cild = in.flag(), you.Daihiki = in.flag();
    you.DaihikiText = in.text();
    you.SokinNo = in.row(9);

    TCatRequest cat;
    cat.FromRow = in.row(55), cat.ToRow = in.row(55);
    cat.WeightRow = in.row(14), cat.SizeRow = in.row(8);
    cat.Home = in.flag(), cat.Time = in.flag(), cat.Cool = in.flag();
    cat.Daihiki = in.flag(), cat.Fukusu = in.flag();
    cat.DaihikiText = in.text(), cat.FukusuText = in.text();

    TLetterMailRequest letter;
    letter.WeightRow = in.row(18);
    letter.InCity = in.flag(), letter.Sokutatsu = in.flag(), letter.Haitatsu = in.flag();
    letter.Morning10 = in.flag(), letter.KaniKakitome = in.flag(), letter.Kakitome = in.flag();
    letter.Gentei = in.flag(), letter.Daihiki = in.flag();
    letter.DaihikiText = in.text(), letter.SokinNo = in.row(9);

    TBookParcelRequest book;
    book.WeightRow = in.row(18);
    book.Cyaku = in.flag(), book.Sokutatsu = in.flag(), book.Shitei = in.flag();
    book.Kani = in.flag(), book.Kakitome = in.flag(), book.Daihiki = in.flag();
    book.DaihikiText = in.text(), book.SokinNo = in.row(9);

    const IniStore tariff(in.rest());
    expectQuoteOrConversionError([&] {
        const TParcelQuote q = QuoteYoupack(tariff, you);
        return q.Detail + q.Caption;
    });
    expectQuoteOrConversionError([&] { return YoupackCaption(tariff, you.FromCaption, you.ToRow); });
    expectQuoteOrConversionError([&] { return QuoteCat(tariff, cat).Detail; });
    expectQuoteOrConversionError([&] { return QuoteLetterMail(tariff, letter).Detail; });
    expectQuoteOrConversionError([&] { return QuoteBookParcel(tariff, book).Detail; });
    return 0;
}
