#include "JsonlProtocol.h"
#include "TestTariff.h"

#include <gtest/gtest.h>

namespace {

using hakomaru::cli::answerRequestLine;

struct Case {
    const char* name;
    std::string line;
    const char* answer;
    bool wellFormed;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class JsonlProtocol : public testing::TestWithParam<Case> {};

TEST_P(JsonlProtocol, AnswersOneLine) {
    const Case& c = GetParam();
    const auto answer = answerRequestLine(testTariff(), c.line);
    EXPECT_EQ(answer.line, c.answer);
    EXPECT_EQ(answer.wellFormed, c.wellFormed);
}

// Quotes made, quotes that fail, and the members' defaults.
const Case kQuotes[] = {
    {"youpack", R"({"quote":"youpack","FromCaption":"東京","ToRow":30,"WeightRow":1,"Cyaku":true})",
     R"({"Total":1225,"Detail":"送料¥1,200\r\n + 着払¥25\r\n","Caption":"ゆうパック 第3地帯","NotHandled":false})",
     true},
    {"youpack_escaped_caption", R"({"quote":"youpack","FromCaption":"\u6771\u4eac","ToRow":30})",
     R"({"Total":1100,"Detail":"送料¥1,100\r\n","Caption":"ゆうパック 第3地帯","NotHandled":false})",
     true},
    {"youpack_error_keeps_caption", R"({"quote":"youpack","FromCaption":"東京","ToRow":52})",
     R"({"Error":"'abcd' は整数ではありません","Caption":"ゆうパック 第9地帯"})", true},
    {"youpack_unknown_sender", R"({"quote":"youpack","FromCaption":"名古屋","ToRow":30})",
     R"({"Error":"'' は整数ではありません","Caption":"ゆうパック 第地帯"})", true},
    {"youpack_sokin_defaults_to_8",
     R"({"quote":"youpack","FromCaption":"東京","ToRow":30,"Daihiki":true,"DaihikiText":"3"})",
     R"({"Total":1580,"Detail":"送料¥1,100\r\n + 代引手数料¥250\r\n + 送金手数料¥230\r\n","Caption":"ゆうパック 第3地帯","NotHandled":false})",
     true},
    {"youpack_other_sokin",
     R"({"quote":"youpack","FromCaption":"東京","ToRow":30,"Daihiki":true,"DaihikiText":"3","SokinNo":0})",
     R"({"Total":1350,"Detail":"送料¥1,100\r\n + 代引手数料¥250\r\n + 送金手数料¥0\r\n","Caption":"ゆうパック 第3地帯","NotHandled":false})",
     true},
    {"cat", R"({"quote":"cat","FromRow":14,"ToRow":30,"Home":true})",
     R"({"Total":1160,"Detail":"送料¥1,060\r\n + 引取¥100\r\n","Caption":"","NotHandled":false})",
     true},
    {"cat_not_handled", R"({"quote":"cat","FromRow":14,"ToRow":30,"WeightRow":13,"Home":true})",
     R"({"Total":0,"Detail":"","Caption":"","NotHandled":true})", true},
    {"cat_error_message_escaped",
     R"({"quote":"cat","FromRow":14,"ToRow":30,"Daihiki":true,"DaihikiText":"a\"b\\"})",
     R"({"Error":"'a\"b\\' は浮動小数点数ではありません"})", true},
    {"cat_separator_row", R"({"quote":"cat","FromRow":8,"ToRow":30})",
     R"({"Error":"'' は整数ではありません"})", true},
    {"letter", R"({"quote":"letter","WeightRow":4,"Sokutatsu":true})",
     R"({"State":"Quoted","Total":390,"Detail":"送料¥120 + 速達¥270"})", true},
    {"letter_heading", R"({"quote":"letter","WeightRow":3,"Kakitome":true})",
     R"({"State":"NoQuote","Total":0,"Detail":""})", true},
    {"letter_error", R"({"quote":"letter","WeightRow":18})",
     R"({"Error":"'' は整数ではありません"})", true},
    {"book", R"({"quote":"book","WeightRow":9,"Cyaku":true,"Sokutatsu":true})",
     R"({"State":"Quoted","Total":570,"Detail":"送料¥240 + 着払¥20\r\n + 速達¥310\r\n"})", true},
    {"book_not_available", R"({"quote":"book","WeightRow":17})",
     R"({"State":"NotAvailable","Total":0,"Detail":""})", true},
    {"absent_members_default", R"({"quote":"book"})",
     R"({"State":"NoQuote","Total":0,"Detail":""})", true},
};
INSTANTIATE_TEST_SUITE_P(Quotes, JsonlProtocol, testing::ValuesIn(kQuotes),
                         [](const auto& info) { return std::string(info.param.name); });

// Members the request's kind does not have are refused by name, so that a
// misspelt member is not priced as if it were absent; names inside nested
// values are not members of the request.
const Case kExtraMembers[] = {
    {"misspelt_member", R"({"quote":"youpack","From":"東京","ToRow":30})",
     R"({"InvalidRequest":"unknown member \"From\" for quote \"youpack\""})", false},
    {"other_kinds_member", R"({"quote":"letter","WeightRow":4,"Home":true})",
     R"({"InvalidRequest":"unknown member \"Home\" for quote \"letter\""})", false},
    {"nested_value_member", R"({"quote":"letter","WeightRow":4,"meta":{"WeightRow":0}})",
     R"({"InvalidRequest":"unknown member \"meta\" for quote \"letter\""})", false},
    {"repeated_member_last_wins", R"({"quote":"letter","WeightRow":0,"WeightRow":4})",
     R"({"State":"Quoted","Total":120,"Detail":"送料¥120"})", true},
};
INSTANTIATE_TEST_SUITE_P(ExtraMembers, JsonlProtocol, testing::ValuesIn(kExtraMembers),
                         [](const auto& info) { return std::string(info.param.name); });

// Counts beyond the window's three-digit edit and amounts beyond 32 bits
// are errors, never wrapped totals.
const Case kOutOfRange[] = {
    {"count_999", R"({"quote":"cat","FromRow":14,"ToRow":30,"Fukusu":true,"FukusuText":"999"})",
     R"({"Total":959040,"Detail":"送料¥1,058,940\r\n - 複数口割引¥99,900\r\n","Caption":"","NotHandled":false})",
     true},
    {"count_1000", R"({"quote":"cat","FromRow":14,"ToRow":30,"Fukusu":true,"FukusuText":"1000"})",
     R"({"Error":"複数口の個数 '1000' は 0 から 999 の範囲にありません"})", true},
    {"count_negative", R"({"quote":"cat","FromRow":14,"ToRow":30,"Fukusu":true,"FukusuText":"-3"})",
     R"({"Error":"複数口の個数 '-3' は 0 から 999 の範囲にありません"})", true},
    {"registered_value_1e30",
     R"({"quote":"youpack","FromCaption":"東京","ToRow":30,"Kakitome":true,"DaihikiText":"1e30"})",
     R"({"Error":"金額が計算できる範囲（±2,147,483,647 円）を超えています","Caption":"ゆうパック 第3地帯"})",
     true},
};
INSTANTIATE_TEST_SUITE_P(OutOfRange, JsonlProtocol, testing::ValuesIn(kOutOfRange),
                         [](const auto& info) { return std::string(info.param.name); });

// Rows at the ends of the integer range reach the calculators, which must
// answer without reading outside a tariff value.
const Case kExtremeRows[] = {
    {"youpack_rows_max",
     R"({"quote":"youpack","FromCaption":"東京","ToRow":2147483647,"WeightRow":2147483647,"Sokutatsu":true,"Cild":true})",
     R"({"Error":"'' は整数ではありません","Caption":"ゆうパック 第地帯"})", true},
    {"youpack_rows_min",
     R"({"quote":"youpack","FromCaption":"東京","ToRow":-2147483648,"WeightRow":-2147483648})",
     R"({"Error":"'' は整数ではありません","Caption":"ゆうパック 第地帯"})", true},
    {"cat_rows_min",
     R"({"quote":"cat","FromRow":-2147483648,"ToRow":-1,"WeightRow":-2147483648,"SizeRow":-2147483648,"Time":true})",
     R"({"Error":"'' は整数ではありません"})", true},
    {"cat_rows_max", R"({"quote":"cat","FromRow":2147483647,"ToRow":2147483647,"WeightRow":12})",
     R"({"Error":"'' は整数ではありません"})", true},
    {"letter_row_min", R"({"quote":"letter","WeightRow":-2147483648,"InCity":true})",
     R"({"Error":"'' は整数ではありません"})", true},
    {"book_row_max", R"({"quote":"book","WeightRow":2147483647,"Sokutatsu":true})",
     R"({"Error":"'' は整数ではありません"})", true},
    {"book_row_min", R"({"quote":"book","WeightRow":-2147483648})",
     R"({"State":"NoQuote","Total":0,"Detail":""})", true},
};
INSTANTIATE_TEST_SUITE_P(ExtremeRows, JsonlProtocol, testing::ValuesIn(kExtremeRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Lines that are not well-formed requests.
std::string withNul(const std::string& before, const std::string& after) {
    return before + '\0' + after;
}

const Case kInvalid[] = {
    {"not_json", "quote please", R"({"InvalidRequest":"not valid JSON at byte 1"})", false},
    {"truncated", R"({"quote":"book")", R"({"InvalidRequest":"not valid JSON at byte 16"})", false},
    {"trailing_text", R"({"quote":"book"} x)", R"({"InvalidRequest":"not valid JSON at byte 18"})",
     false},
    {"invalid_utf8", "{\"quote\":\"book\",\"DaihikiText\":\"\xff\"}",
     R"({"InvalidRequest":"not valid JSON at byte 32"})", false},
    {"array", R"([{"quote":"book"}])", R"({"InvalidRequest":"not a JSON object"})", false},
    {"number", "5", R"({"InvalidRequest":"not a JSON object"})", false},
    {"empty_object", "{}", R"({"InvalidRequest":"missing \"quote\""})", false},
    {"quote_not_string", R"({"quote":1})", R"({"InvalidRequest":"\"quote\" is not a string"})",
     false},
    {"unknown_kind", R"({"quote":"parcel"})", R"({"InvalidRequest":"unknown quote \"parcel\""})",
     false},
    {"integer_as_float", R"({"quote":"book","WeightRow":4.0})",
     R"({"InvalidRequest":"WeightRow is not an integer"})", false},
    {"integer_as_exponent", R"({"quote":"book","WeightRow":1e1})",
     R"({"InvalidRequest":"WeightRow is not an integer"})", false},
    {"integer_as_string", R"({"quote":"book","WeightRow":"4"})",
     R"({"InvalidRequest":"WeightRow is not an integer"})", false},
    {"integer_too_large", R"({"quote":"cat","SizeRow":2147483648})",
     R"({"InvalidRequest":"SizeRow is out of range"})", false},
    {"integer_too_small", R"({"quote":"cat","FromRow":-2147483649})",
     R"({"InvalidRequest":"FromRow is out of range"})", false},
    {"integer_beyond_64_bits", R"({"quote":"letter","SokinNo":18446744073709551616})",
     R"({"InvalidRequest":"SokinNo is not an integer"})", false},
    {"integer_null", R"({"quote":"youpack","ToRow":null})",
     R"({"InvalidRequest":"ToRow is not an integer"})", false},
    {"boolean_as_number", R"({"quote":"youpack","Cyaku":1})",
     R"({"InvalidRequest":"Cyaku is not a boolean"})", false},
    {"string_as_number", R"({"quote":"cat","FukusuText":3})",
     R"({"InvalidRequest":"FukusuText is not a string"})", false},
    {"string_as_array", R"({"quote":"youpack","FromCaption":["東京"]})",
     R"({"InvalidRequest":"FromCaption is not a string"})", false},
    {"line_over_1_MiB", "{\"quote\":\"letter\"}" + std::string(1 << 20, ' '),
     R"({"InvalidRequest":"line longer than 1048576 bytes"})", false},
    // A raw NUL byte is nowhere JSON, not even after a whole request;
    // control characters in names are shown escaped.
    {"nul_after_request", withNul(R"({"quote":"letter","WeightRow":5})", "x"),
     R"({"InvalidRequest":"not valid JSON at byte 33"})", false},
    {"nul_in_string", withNul(R"({"quote":"book","DaihikiText":"1)", R"("})"),
     R"({"InvalidRequest":"not valid JSON at byte 33"})", false},
    {"nul_between_members", withNul(R"({"quote":"book",)", R"("Kani":true})"),
     R"({"InvalidRequest":"not valid JSON at byte 17"})", false},
    {"escaped_nul_in_name", R"({"quote":"letter","F\u0000x":1})",
     R"({"InvalidRequest":"unknown member \"F\\u0000x\" for quote \"letter\""})", false},
    {"control_character_in_kind", R"({"quote":"le\u0001\n"})",
     R"({"InvalidRequest":"unknown quote \"le\\u0001\\n\""})", false},
};
INSTANTIATE_TEST_SUITE_P(Invalid, JsonlProtocol, testing::ValuesIn(kInvalid),
                         [](const auto& info) { return std::string(info.param.name); });

// The reader is reused from line to line: nothing of one request may leak
// into the next.
TEST(JsonlProtocolSequence, LinesDoNotShareMembers) {
    const auto& tariff = testTariff();
    answerRequestLine(tariff, R"({"quote":"letter","WeightRow":4,"Sokutatsu":true,"x":1})");
    answerRequestLine(tariff, R"({"quote":"letter","WeightRow":4,"Sokutatsu":tr)");
    EXPECT_EQ(answerRequestLine(tariff, R"({"quote":"letter"})").line,
              R"({"State":"NoQuote","Total":0,"Detail":""})");
    EXPECT_EQ(answerRequestLine(tariff, R"({"quote":"letter","WeightRow":4})").line,
              R"({"State":"Quoted","Total":120,"Detail":"送料¥120"})");
}

} // namespace
