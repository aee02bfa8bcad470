// The fast reader of flat request lines must agree with the general JSON
// parser on every line it accepts, and hand every other line over to it.
#include "FlatJson.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace hakomaru::cli;

namespace {

// The top-level members as the general parser sees them (the last of a
// repeated name wins), compared with what the fast reader read.
void expectSameAsGeneralParser(std::string_view line, const std::vector<FlatMember>& members,
                               size_t count) {
    const auto json = nlohmann::json::parse(line, nullptr, false);
    ASSERT_FALSE(json.is_discarded()) << line;
    ASSERT_TRUE(json.is_object()) << line;
    std::map<std::string, const FlatMember*> last;
    for (size_t i = 0; i < count; ++i)
        last[members[i].key] = &members[i];
    ASSERT_EQ(last.size(), json.size()) << line;
    for (const auto& [key, member] : last) {
        const auto& value = json.at(key);
        switch (member->kind) {
        case FlatMember::Kind::Boolean:
            EXPECT_EQ(value, member->boolean) << line;
            break;
        case FlatMember::Kind::Integer:
            EXPECT_TRUE(value.is_number_integer() && !value.is_number_unsigned()) << line;
            EXPECT_EQ(value.get<std::int64_t>(), member->integer) << line;
            break;
        case FlatMember::Kind::Unsigned:
            EXPECT_TRUE(value.is_number_unsigned()) << line;
            EXPECT_EQ(value.get<std::uint64_t>(), member->unsignedInteger) << line;
            break;
        case FlatMember::Kind::String:
            EXPECT_EQ(value, member->text) << line;
            break;
        }
    }
}

} // namespace

TEST(FlatJson, ReadsFlatRequestsAsTheGeneralParserDoes) {
    const std::string_view lines[] = {
        R"({"quote":"youpack","FromCaption":"東京","ToRow":30,"WeightRow":2,"Kakitome":true})",
        R"(  { "quote" : "cat" , "FromRow" : 14 , "Home" : false }  )",
        "{\t\"quote\":\"book\",\r\n\"WeightRow\":0}",
        R"({})",
        R"({"a":-0,"b":-12,"c":0,"d":999999999999999999})",
        R"({"a":1,"a":"two"})",
        R"({"絵文字":"😀","ｶﾅ":"ﾃｽﾄ"})",
    };
    for (std::string_view line : lines) {
        std::vector<FlatMember> members;
        size_t count = 0;
        ASSERT_TRUE(readFlatObject(line, members, count)) << line;
        expectSameAsGeneralParser(line, members, count);
    }
}

TEST(FlatJson, HandsEveryOtherLineToTheGeneralParser) {
    const std::string_view lines[] = {
        R"({"a":"x\"y"})",              // an escape
        R"({"a":"\u6771"})",            // a unicode escape
        R"({"a":null})",                // null
        R"({"a":1.5})",                 // a fraction
        R"({"a":1e2})",                 // an exponent
        R"({"a":01})",                  // a leading zero: invalid JSON
        R"({"a":1234567890123456789})", // more digits than the reader takes
        R"({"a":[1]})",                 // nesting
        R"({"a":{"b":1}})",
        R"([1,2])", // not an object
        R"("text")",
        R"({"a":1,})", // trailing comma
        R"({"a":1)",   // unclosed
        R"({"a":1}x)", // text after the object
        R"({"a":tru})",
        R"({"a":truex})",
        R"({a:1})",                 // unquoted name
        "{\"a\":\"\x01\"}",         // a control character in a string
        "{\"a\":\"\xC3\"}",         // a cut UTF-8 sequence
        "{\"a\":\"\xED\xA0\x80\"}", // an encoded surrogate
        "{\"a\":\"\xC0\xAF\"}",     // an overlong encoding
        "\xEF\xBB\xBF{}",           // a byte order mark
        "",
        "-",
    };
    for (std::string_view line : lines) {
        std::vector<FlatMember> members;
        size_t count = 0;
        EXPECT_FALSE(readFlatObject(line, members, count)) << line;
    }
}
