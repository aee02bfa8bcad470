#pragma once
// Request and result records of letter mail and book parcels.
#include <cstdint>
#include <string>

namespace hakomaru {

struct TLetterMailRequest {
    int WeightRow = 0; // postal weight row, 0 to 17
    bool InCity = false;
    bool Sokutatsu = false;
    bool Haitatsu = false;
    bool Morning10 = false;
    bool KaniKakitome = false;
    bool Kakitome = false;
    bool Gentei = false;
    bool Daihiki = false;
    std::string DaihikiText;
    int SokinNo = 8;
};

struct TBookParcelRequest {
    int WeightRow = 0;
    bool Cyaku = false;
    bool Sokutatsu = false;
    bool Shitei = false;
    bool Kani = false;
    bool Kakitome = false;
    bool Daihiki = false;
    std::string DaihikiText;
    int SokinNo = 8;
};

enum class PostalState {
    Quoted,      // Total and Detail are set
    NoQuote,     // a row without a price here; nothing was read
    NotAvailable // the service is not offered for this row
};

struct TPostalQuote {
    PostalState State = PostalState::NoQuote;
    std::int32_t Total = 0;
    std::string Detail; // UTF-8, "¥" as the yen sign
};

} // namespace hakomaru
