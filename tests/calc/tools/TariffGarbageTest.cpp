// A tariff file is edited by hand and can hold anything. Whatever its bytes,
// every quote either prices the parcel or fails with ConversionError, which
// the windows report; nothing else may escape, and every text handed back
// (detail, caption, message) must be valid UTF-8 for a label or message box.
#include "quote/QuoteCat.h"
#include "quote/QuotePostal.h"
#include "quote/QuoteYoupack.h"
#include "tariff/Catalogues.h"
#include "tariff/Tariff.h"
#include "text/ConversionError.h"
#include "text/Sjis.h"
#include "tools/TariffCheck.h"
#include "tools/TariffEdit.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

using namespace hakomaru;

std::string shippedBytes() {
    std::ifstream in(HAKOMARU_SHIPPED_DATA_DIR "/Charge.ini", std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_FALSE(bytes.empty());
    return bytes;
}

bool isValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        // The number of continuation bytes; 4 for a byte that starts nothing.
        const size_t n = c < 0x80           ? 0
                         : (c >> 5) == 0x06 ? 1
                         : (c >> 4) == 0x0E ? 2
                         : (c >> 3) == 0x1E ? 3
                                            : 4;
        if (n > 3 || i + n >= s.size())
            return false;
        for (size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n + 1;
    }
    return true;
}

// Random requests: mostly what the windows offer, now and then a row no
// list has, an amount nobody would type or a caption that is no caption.
class RandomRequests {
  public:
    explicit RandomRequests(std::mt19937& rng) : rng_(rng) {}

    TYoupackRequest youpack() {
        TYoupackRequest r;
        r.FromCaption = caption();
        r.ToRow = row(kDestinationRowCount);
        r.WeightRow = row(14);
        r.Cyaku = flag();
        r.Sokutatsu = flag();
        r.Shitei = flag();
        r.Kakitome = flag();
        r.Cild = flag();
        r.Daihiki = flag();
        r.DaihikiText = amount();
        r.SokinNo = row(9);
        return r;
    }
    TCatRequest cat() {
        TCatRequest r;
        r.FromRow = row(kSendingRowCount);
        r.ToRow = row(kDestinationRowCount);
        r.WeightRow = row(14);
        r.SizeRow = row(8);
        r.Home = flag();
        r.Time = flag();
        r.Cool = flag();
        r.Daihiki = flag();
        r.Fukusu = flag();
        r.DaihikiText = amount();
        r.FukusuText = pick({"", "0", "1", "2", "999", "x", "-1", "99999999999"});
        return r;
    }
    TLetterMailRequest letterMail() {
        TLetterMailRequest r;
        r.WeightRow = row(18);
        r.InCity = flag();
        r.Sokutatsu = flag();
        r.Haitatsu = flag();
        r.Morning10 = flag();
        r.KaniKakitome = flag();
        r.Kakitome = flag();
        r.Gentei = flag();
        r.Daihiki = flag();
        r.DaihikiText = amount();
        r.SokinNo = row(9);
        return r;
    }
    TBookParcelRequest bookParcel() {
        TBookParcelRequest r;
        r.WeightRow = row(18);
        r.Cyaku = flag();
        r.Sokutatsu = flag();
        r.Shitei = flag();
        r.Kani = flag();
        r.Kakitome = flag();
        r.Daihiki = flag();
        r.DaihikiText = amount();
        r.SokinNo = row(9);
        return r;
    }

  private:
    bool flag() { return rng_() % 2 == 0; }
    bool rarely() { return rng_() % 10 == 0; }
    std::string pick(std::initializer_list<const char*> choices) {
        return *(choices.begin() + rng_() % choices.size());
    }
    int row(int count) {
        if (!rarely())
            return static_cast<int>(rng_() % static_cast<unsigned>(count));
        const int odd[] = {-1, INT_MIN, INT_MAX, count, count + 1000};
        return odd[rng_() % std::size(odd)];
    }
    std::string amount() {
        return pick({"", "0", "1", "2.5", "10", "30", "30.1", "100.5", "200", "200.5", ".", "abc",
                     "1e10", "-3", "9999999", "1e39", "nan", "inf"});
    }
    std::string caption() {
        if (!rarely())
            return std::string(PrefectureRows(false)[rng_() % kSendingRowCount]);
        switch (rng_() % 4) {
        case 0:
            return "";
        case 1:
            return "\xF0\x9F\x93\xA6"; // a character code page 932 cannot hold
        case 2:
            return "\x82\xA0\xFF"; // not UTF-8 at all
        default:
            return "東京 ";
        }
    }

    std::mt19937& rng_;
};

// Runs one quote; records anything but success or ConversionError, and any
// text that is not valid UTF-8.
template <class Quote> void probe(const char* what, Quote quote, std::vector<std::string>& faults) {
    try {
        for (const std::string& text : quote())
            if (!isValidUtf8(text))
                faults.push_back(std::string(what) + ": text not UTF-8");
    } catch (const ConversionError& e) {
        if (!isValidUtf8(e.what()))
            faults.push_back(std::string(what) + ": message not UTF-8");
    } catch (const std::exception& e) {
        faults.push_back(std::string(what) + ": " + typeid(e).name() + ": " + e.what());
    } catch (...) {
        faults.push_back(std::string(what) + ": unknown exception");
    }
}

// Reads the bytes as a tariff and runs `requests` random requests of each
// kind on it.
std::vector<std::string> quoteEverything(const std::string& bytes, std::mt19937& rng,
                                         int requests) {
    const IniStore tariff(bytes);
    RandomRequests random(rng);
    std::vector<std::string> faults;
    for (int i = 0; i < requests; ++i) {
        const TYoupackRequest y = random.youpack();
        probe(
            "caption", [&] { return std::vector{YoupackCaption(tariff, y.FromCaption, y.ToRow)}; },
            faults);
        probe(
            "ゆうパック",
            [&] {
                const auto q = QuoteYoupack(tariff, y);
                return std::vector{q.Detail, q.Caption};
            },
            faults);
        probe(
            "クロネコ", [&] { return std::vector{QuoteCat(tariff, random.cat()).Detail}; }, faults);
        probe(
            "普通郵便",
            [&] { return std::vector{QuoteLetterMail(tariff, random.letterMail()).Detail}; },
            faults);
        probe(
            "冊子小包",
            [&] { return std::vector{QuoteBookParcel(tariff, random.bookParcel()).Detail}; },
            faults);
    }
    return faults;
}

std::string randomBytes(std::mt19937& rng, size_t size, std::string_view alphabet = {}) {
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = alphabet.empty() ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
    return bytes;
}

std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find("\r\n", pos);
        if (end == std::string::npos)
            end = bytes.size();
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

// The shipped tariff with `count` small edits of the kind a slip of the hand
// or a wrong editor makes.
std::string mutateShipped(std::mt19937& rng, int count) {
    std::vector<std::string> lines = splitLines(shippedBytes());
    for (int i = 0; i < count && !lines.empty(); ++i) {
        const size_t at = rng() % lines.size();
        std::string& line = lines[at];
        const size_t pos = line.empty() ? 0 : rng() % line.size();
        switch (rng() % 10) {
        case 0: // any byte
            if (!line.empty())
                line[pos] = static_cast<char>(rng());
            break;
        case 1: // a byte lost, perhaps half of a double-byte character
            if (!line.empty())
                line.erase(pos, 1);
            break;
        case 2: // a byte added: a lead byte, a separator, a blank or anything
            line.insert(pos, 1, "\x81\xE0=[] 0\t\0\xFF"[rng() % 10]);
            break;
        case 3:
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        case 4:
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
            break;
        case 5:
            line.resize(pos);
            break;
        case 6:
            std::swap(line, lines[rng() % lines.size()]);
            break;
        case 7: // blanks in front of the value
            if (size_t eq = line.find('='); eq != std::string::npos)
                line.insert(eq + 1, rng() % 4 + 1, ' ');
            break;
        case 8: // a field widened or narrowed
            line.insert(pos, 1, static_cast<char>('0' + rng() % 10));
            break;
        default: // a NUL byte
            if (!line.empty())
                line[pos] = '\0';
            break;
        }
    }
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + (rng() % 50 == 0 ? "\n" : "\r\n");
    return bytes;
}

// Shift-JIS structure without valid characters: lead bytes with no trail
// byte, trail bytes alone, mixed with the INI syntax.
const std::string_view kBrokenSjis = "\x81\x82\x9F\xE0\xFC\x40\x7E\x80\xA0\xFD\xFF[]=;\r\n 09";

struct Garbage {
    const char* name;
    unsigned seeds; // runs, seeds 1 to seeds
    int requests;   // random requests of each kind per run
    std::string (*bytes)(std::mt19937& rng);
};

const Garbage kGarbage[] = {
    {"BinaryGarbage", 4, 100, [](std::mt19937& rng) { return randomBytes(rng, 64 * 1024); }},
    {"BinaryGarbageWithSyntax", 4, 100,
     [](std::mt19937& rng) {
         return randomBytes(rng, 64 * 1024, std::string_view("[]=\r\n;\x00 \x81\xFF", 10));
     }},
    {"NulBytes", 1, 50, [](std::mt19937&) { return std::string(64 * 1024, '\0'); }},
    {"NulBytesInShippedTariff", 4, 100,
     [](std::mt19937& rng) {
         std::string bytes = shippedBytes();
         for (int i = 0; i < 200; ++i)
             bytes[rng() % bytes.size()] = '\0';
         return bytes;
     }},
    {"InvalidShiftJis", 4, 100,
     [](std::mt19937& rng) { return randomBytes(rng, 64 * 1024, kBrokenSjis); }},
    {"ShippedTariffWithHalfCharacters", 4, 100,
     [](std::mt19937& rng) {
         // Drop the trail byte of some double-byte characters.
         std::string in = shippedBytes(), out;
         for (size_t i = 0; i < in.size(); ++i) {
             out += in[i];
             if (isSjisLeadByte(static_cast<unsigned char>(in[i])) && i + 1 < in.size() &&
                 rng() % 20 == 0)
                 ++i;
         }
         return out;
     }},
    {"OneMegabyteValue", 1, 50,
     [](std::mt19937& rng) {
         std::string big = randomBytes(rng, 1 << 20, "0123456789 ");
         big[0] = '9';
         return toSjis("[地帯区分]\r\n東京=") + big + toSjis("\r\n[ゆうパック]\r\n第9地帯=") + big +
                toSjis("\r\n[関東]\r\n関東=") + big + toSjis("\r\n[普通郵便]\r\n料金=") + big +
                toSjis("\r\n[冊子小包]\r\n料金=") + big + "\r\n";
     }},
    // Broken characters and "[" with no line break: one line of 1 MB.
    {"OneMegabyteLine", 2, 50,
     [](std::mt19937& rng) { return randomBytes(rng, 1 << 20, kBrokenSjis.substr(0, 12)); }},
    {"TenMegabyteFile", 1, 10,
     [](std::mt19937& rng) {
         std::string bytes = shippedBytes();
         while (bytes.size() < 10 << 20)
             bytes += randomBytes(rng, 4096, kBrokenSjis) + mutateShipped(rng, 5);
         return bytes;
     }},
    {"MutatedShippedTariff", 60, 60,
     [](std::mt19937& rng) { return mutateShipped(rng, static_cast<int>(rng() % 20) + 1); }},
};

void PrintTo(const Garbage& garbage, std::ostream* os) {
    *os << garbage.name;
}

class TariffGarbage : public ::testing::TestWithParam<Garbage> {};

TEST_P(TariffGarbage, QuotesSucceedOrFailWithConversionError) {
    for (unsigned seed = 1; seed <= GetParam().seeds; ++seed) {
        std::mt19937 rng(seed);
        const std::string bytes = GetParam().bytes(rng);
        const auto faults = quoteEverything(bytes, rng, GetParam().requests);
        ASSERT_TRUE(faults.empty())
            << "seed " << seed << ": " << faults.size() << " faults, first: " << faults.front();
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, TariffGarbage, ::testing::ValuesIn(kGarbage),
                         [](const auto& info) { return std::string(info.param.name); });

// Without a readable tariff file every option fee has its default, so only
// the base fee fails: with the message for an empty field. Rows that read
// nothing still answer.
TEST(TariffGarbage, MissingFileFailsAtTheBaseFee) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    for (const auto& path : {folder / "hakomaru-no-such-dir" / "Charge.ini", folder}) {
        SCOPED_TRACE(path.string());
        const IniStore tariff = readTariff(path);
        auto failsWithEmptyField = [&](auto quote) {
            try {
                quote();
                ADD_FAILURE() << "no failure";
            } catch (const ConversionError& e) {
                EXPECT_STREQ(e.what(), "'' は整数ではありません");
            }
        };

        TYoupackRequest youpack;
        youpack.FromCaption = "東京";
        youpack.Cyaku = true;
        for (int to : {14, kSameCityRow}) {
            youpack.ToRow = to;
            failsWithEmptyField([&] { return QuoteYoupack(tariff, youpack); });
        }
        TCatRequest cat;
        cat.FromRow = 14;
        cat.ToRow = 52;
        cat.Home = true;
        failsWithEmptyField([&] { return QuoteCat(tariff, cat); });
        cat.WeightRow = 13;
        EXPECT_TRUE(QuoteCat(tariff, cat).NotHandled);

        for (int row = 0; row < 18; ++row) {
            SCOPED_TRACE("postal row " + std::to_string(row));
            TLetterMailRequest letter;
            letter.WeightRow = row;
            letter.Morning10 = row % 2 == 0;
            TBookParcelRequest book;
            book.WeightRow = row;
            book.Cyaku = true;
            if (row == 0 || row == 3)
                EXPECT_EQ(QuoteLetterMail(tariff, letter).State, PostalState::NoQuote);
            else
                failsWithEmptyField([&] { return QuoteLetterMail(tariff, letter); });
            if (row < 4)
                EXPECT_EQ(QuoteBookParcel(tariff, book).State, PostalState::NoQuote);
            else if (row == 17)
                EXPECT_EQ(QuoteBookParcel(tariff, book).State, PostalState::NotAvailable);
            else
                failsWithEmptyField([&] { return QuoteBookParcel(tariff, book); });
        }
    }
}

// A megabyte line of one byte ahead of the tariff proper, each byte one
// that starts a rule of the reading. Whatever the byte, what follows the
// line is quoted, checked and edited as ever, on the line where it lies, and
// a message quotes the damaged line in short.
TEST(TariffGarbage, OneLongLineOfEachByte) {
    constexpr size_t kLength = 1 << 20;
    std::string fees = "000";
    for (int row = 0; row < 18; ++row)
        fees += std::to_string(1000 + 10 * row).substr(0, 4);
    const std::string tail = toSjis("[普通郵便]\r\n料金=" + fees + "\r\n[速達]\r\n2kg=320\r\n");
    for (const char byte : {'[', ']', '=', ';', ' ', '\r', '\n', '\x81', '\xFC'}) {
        SCOPED_TRACE("byte " + std::to_string(static_cast<unsigned char>(byte)));
        const std::string bytes = "x" + std::string(kLength, byte) + "\r\n" + tail;
        // A run of line ends is a run of empty lines.
        const size_t tailLine = byte == '\r' || byte == '\n' ? kLength + 2 : 2;

        TLetterMailRequest letter;
        letter.WeightRow = 5;
        EXPECT_EQ(QuoteLetterMail(IniStore(bytes), letter).Total, 1050);

        bool missingFound = false;
        for (const TariffProblem& problem : checkTariff(bytes)) {
            EXPECT_LT(problem.message.size(), 300u) << problem.message.substr(0, 300);
            if (problem.key == "翌朝10時") {
                missingFound = true;
                EXPECT_EQ(problem.line, tailLine);
            }
        }
        EXPECT_TRUE(missingFound);

        const TariffDocument document(bytes);
        const auto at = document.find("速達", "2kg", std::nullopt);
        ASSERT_TRUE(std::holds_alternative<TariffAddress>(at));
        const TariffAddress& address = std::get<TariffAddress>(at);
        EXPECT_EQ(document.grids()[address.grid].cell(address.row, address.column).line,
                  tailLine + 3);
    }
}

} // namespace
