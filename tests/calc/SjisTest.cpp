#include "Sjis.h"

#include <gtest/gtest.h>

using namespace hakomaru;

TEST(Sjis, EncodesAndDecodesCodePage932) {
    struct Case {
        std::string_view utf8;
        std::string_view sjis;
    };
    const Case cases[] = {
        {"ソ", "\x83\x5C"},       // trail byte 0x5C
        {"ー", "\x81\x5B"},       // trail byte "["
        {"①", "\x87\x40"},        // NEC extension, not in plain Shift_JIS
        {"～", "\x81\x60"},       // full-width tilde as Windows maps it
        {"\\~", "\x5C\x7E"},      // ASCII stays ASCII
        {"ｱ", "\xB1"},            // half-width katakana
        {"東京", "\x93\x8C\x8B\x9E"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toSjis(c.utf8), c.sjis) << c.utf8;
        EXPECT_EQ(fromSjis(c.sjis), c.utf8) << c.utf8;
    }
}

TEST(Sjis, DecodesAnyBytesWithReplacement) {
    EXPECT_EQ(fromSjis("A\x82"), "A\uFFFD");          // lone lead byte at the end
    EXPECT_EQ(fromSjis("\x80" "B"), "\uFFFD" "B");       // undefined byte
    EXPECT_EQ(fromSjis(std::string("\0x", 2)), std::string("\0x", 2));
    EXPECT_EQ(fromSjis(""), "");
}

// Longer than the converter's buffer, with a byte it cannot convert in
// every character: each becomes U+FFFD, and nothing else is lost or doubled.
TEST(Sjis, DecodesLongTextWithManyBadBytes) {
    std::string sjis, utf8;
    for (int i = 0; i < 20000; ++i) {
        sjis += i % 2 ? "\xFC\x82\xA0" : "\x93\x8C";
        utf8 += i % 2 ? "\uFFFDあ" : "東";
    }
    EXPECT_EQ(fromSjis(sjis), utf8);
}

TEST(Sjis, FirstNonAsciiByte) {
    EXPECT_EQ(firstNonAsciiByte(""), std::string_view::npos);
    EXPECT_EQ(firstNonAsciiByte(std::string(17, 'a')), std::string_view::npos);
    for (size_t length : {1, 7, 8, 9, 16, 17})
        for (size_t at = 0; at < length; ++at) {
            std::string text(length, '\x7F');
            text[at] = '\x80';
            text.back() = at + 1 == length ? '\x80' : '\xFF';
            EXPECT_EQ(firstNonAsciiByte(text), at) << length << " " << at;
        }
}

TEST(Sjis, RefusesTextOutsideCodePage932) { EXPECT_THROW(toSjis("😀"), std::invalid_argument); }

TEST(Sjis, LeadBytes) {
    EXPECT_TRUE(isSjisLeadByte(0x81));
    EXPECT_TRUE(isSjisLeadByte(0x9F));
    EXPECT_TRUE(isSjisLeadByte(0xE0));
    EXPECT_TRUE(isSjisLeadByte(0xFC));
    EXPECT_FALSE(isSjisLeadByte(0x80));
    EXPECT_FALSE(isSjisLeadByte(0xA0));
    EXPECT_FALSE(isSjisLeadByte(0xDF));
    EXPECT_FALSE(isSjisLeadByte('a'));
}
