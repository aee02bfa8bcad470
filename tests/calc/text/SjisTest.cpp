#include "text/Sjis.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace hakomaru;

TEST(Sjis, EncodesAndDecodesCodePage932) {
    struct Case {
        std::string_view utf8;
        std::string_view sjis;
    };
    const Case cases[] = {
        {"ソ", "\x83\x5C"},  // trail byte 0x5C
        {"ー", "\x81\x5B"},  // trail byte "["
        {"①", "\x87\x40"},   // NEC extension, not in plain Shift_JIS
        {"～", "\x81\x60"},  // full-width tilde as Windows maps it
        {"\\~", "\x5C\x7E"}, // ASCII stays ASCII
        {"ｱ", "\xB1"},       // half-width katakana
        {"東京", "\x93\x8C\x8B\x9E"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toSjis(c.utf8), c.sjis) << c.utf8;
        EXPECT_EQ(fromSjis(c.sjis), c.utf8) << c.utf8;
    }
}

TEST(Sjis, DecodesAnyBytesWithReplacement) {
    EXPECT_EQ(fromSjis("A\x82"), "A\uFFFD"); // lone lead byte at the end
    EXPECT_EQ(fromSjis("\x80"
                       "B"),
              "\uFFFD"
              "B"); // undefined byte
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

// What a person is shown of any bytes: characters as they are, everything
// else as escapes that say which byte it is.
TEST(Sjis, ShowsBytesThatAreNoWholeCharacterAsEscapes) {
    const struct {
        std::string sjis;
        bool trailFirst;
        std::string shown;
    } cases[] = {
        {"\x93\x8C\xB1\x5C~", false, "東ｱ¥~"},
        {std::string("\0\t \x7F", 4), false, "<00><09> <7F>"},
        {"A\x82", false, "A<82>"},                   // a lead byte without its trail
        {"\x80\xA0\xFD", false, "<80><A0><FD>"},     // bytes that start no character
        {"\xFC\x82\x82\xA0", false, "<FC><82>あ"}, // an unassigned code
        {"\x50\x93\x8C", true, "<50>東"},           // a field begun inside a character
    };
    for (const auto& c : cases)
        EXPECT_EQ(shownFromSjis(c.sjis, c.trailFirst), c.shown) << c.shown;
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

TEST(Sjis, RefusesTextOutsideCodePage932) {
    for (std::string_view text : {"😀", "\u0080", "\uF8F0", "\uF8F3", "\xE6\x9D"})
        EXPECT_THROW(toSjis(text), std::invalid_argument) << text;
}

// What the systems' converters do differently, settled alike on every system.
TEST(Sjis, SystemsAgreeWhereTheirConvertersDiffer) {
    struct Case {
        std::string_view utf8, sjis;
    };
    const Case encoded[] = {
        {"¥1,000", "\x5C"
                   "1,000"},
        {"‾", "\x7E"},
        {"〜", "\x81\x60"},
        {"—", "\x81\x5C"},
        {"‖", "\x81\x61"},
        {"−", "\x81\x7C"},
        {"¬", "\x81\xCA"},
        {"¢£", "\x81\x91\x81\x92"},
        {"東〜京", "\x93\x8C\x81\x60\x8B\x9E"},
    };
    for (const auto& c : encoded)
        EXPECT_EQ(toSjis(c.utf8), c.sjis) << c.utf8;
    const Case decoded[] = {
        {"\uFFFD"
         "A",
         "\x80"
         "A"},
        {"\uFFFD", "\xA0"},
        {"\uFFFD\uFFFD", "\xFD\xFF"},
        {"\uFFFD@", "\x85\x40"},          // unassigned: its trail byte read anew
        {"\uFFFD\u30BD", "\x85\x83\x5C"}, // ... and starting the next character
        {"\uE000", "\xF0\x40"},           // user-defined area
    };
    for (const auto& c : decoded)
        EXPECT_EQ(fromSjis(c.sjis), c.utf8) << c.utf8;
}

// Every byte and byte pair decoded and every character of the basic plane
// encoded, folded into one fingerprint that is the same on every system.
TEST(Sjis, WholeCodePageIsTheSameOnEverySystem) {
    std::uint64_t hash = 14695981039346656037u;
    const auto add = [&](std::string_view bytes) {
        for (const unsigned char c : bytes)
            hash = (hash ^ c) * 1099511628211u;
        hash = (hash ^ 0x100) * 1099511628211u;
    };
    for (int lead = 0; lead < 256; ++lead) {
        add(fromSjis(std::string(1, static_cast<char>(lead))));
        if (lead >= 0x80)
            for (int trail = 0; trail < 256; ++trail)
                add(fromSjis(std::string{static_cast<char>(lead), static_cast<char>(trail)}));
    }
    for (char32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp < 0xE000)
            continue;
        std::string utf8;
        if (cp < 0x800)
            utf8 = {static_cast<char>(0xC0 | cp >> 6), static_cast<char>(0x80 | (cp & 63))};
        else
            utf8 = {static_cast<char>(0xE0 | cp >> 12), static_cast<char>(0x80 | (cp >> 6 & 63)),
                    static_cast<char>(0x80 | (cp & 63))};
        try {
            add(toSjis(utf8));
        } catch (const std::invalid_argument&) {
            add("-");
        }
    }
    EXPECT_EQ(hash, 6373460027658570618u);
}

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
