#pragma once
// Request and result records of the two parcel carriers.
#include <cstdint>
#include <string>

namespace hakomaru {

// A ゆうパック parcel as the main window describes it.
struct TYoupackRequest {
    std::string FromCaption; // caption of the sending row: the key of the zone table
    int ToRow = 0;           // destination row, 0 to 54
    int WeightRow = 0;       // weight row, 0 to 13
    bool Cyaku = false;      // carriage forward
    bool Sokutatsu = false;  // express
    bool Shitei = false;     // delivery-date request
    bool Kakitome = false;   // registered
    bool Cild = false;       // chilled
    bool Daihiki = false;    // cash on delivery
    std::string DaihikiText; // amount in units of 10,000 yen: COD amount and declared value
    int SokinNo = 8;         // remittance method number
};

// A クロネコ parcel, or several identical ones to one address.
struct TCatRequest {
    int FromRow = 0;
    int ToRow = 0;
    int WeightRow = 0;
    int SizeRow = 0;
    bool Home = false;    // collected at home or office
    bool Time = false;    // time service
    bool Cool = false;    // cool delivery
    bool Daihiki = false; // cash on delivery
    bool Fukusu = false;  // several parcels to one address
    std::string DaihikiText;
    std::string FukusuText; // parcel count
};

// The result of either parcel quote. Texts are UTF-8 with "¥" as the yen sign.
struct TParcelQuote {
    std::int32_t Total = 0;
    std::string Detail;  // pieces, each ending with CR LF
    std::string Caption; // "ゆうパック 第…地帯"; set by the ゆうパック quote only
    bool NotHandled = false; // クロネコ does not take the parcel
};

} // namespace hakomaru
