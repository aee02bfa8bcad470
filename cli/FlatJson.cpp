#include "FlatJson.h"

namespace hakomaru::cli {
namespace {

class Cursor {
  public:
    explicit Cursor(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

    void skipSpace() {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r'))
            ++p_;
    }
    bool atEnd() const { return p_ == end_; }
    bool take(char c) {
        if (p_ < end_ && *p_ == c) {
            ++p_;
            return true;
        }
        return false;
    }
    bool takeWord(std::string_view word) {
        if (static_cast<size_t>(end_ - p_) < word.size() ||
            std::string_view(p_, word.size()) != word)
            return false;
        p_ += word.size();
        return true;
    }
    char peek() const { return p_ < end_ ? *p_ : '\0'; }

    // A string without escapes or control characters, in valid UTF-8.
    bool string(std::string& out) {
        if (!take('"'))
            return false;
        const char* start = p_;
        while (p_ < end_) {
            const auto c = static_cast<unsigned char>(*p_);
            if (c == '"') {
                out.assign(start, p_);
                ++p_;
                return true;
            }
            if (c == '\\' || c < 0x20)
                return false;
            if (c < 0x80) {
                ++p_;
                continue;
            }
            const size_t length = utf8Sequence();
            if (length == 0)
                return false;
            p_ += length;
        }
        return false;
    }

    // -?(0|[1-9][0-9]*), not followed by a fraction or an exponent; at most
    // 18 digits, so that it fits either integer kind.
    bool wholeNumber(FlatMember& member) {
        const bool negative = take('-');
        const char* digits = p_;
        std::uint64_t value = 0;
        while (p_ < end_ && *p_ >= '0' && *p_ <= '9')
            value = value * 10 + static_cast<unsigned>(*p_++ - '0');
        const size_t count = static_cast<size_t>(p_ - digits);
        if (count == 0 || count > 18 || (count > 1 && *digits == '0'))
            return false;
        const char next = peek();
        if (next == '.' || next == 'e' || next == 'E')
            return false;
        if (negative) {
            member.kind = FlatMember::Kind::Integer;
            member.integer = -static_cast<std::int64_t>(value);
        } else {
            member.kind = FlatMember::Kind::Unsigned;
            member.unsignedInteger = value;
        }
        return true;
    }

  private:
    // The length of the well-formed UTF-8 sequence at p_, or 0.
    size_t utf8Sequence() const {
        auto at = [&](size_t i) { return p_ + i < end_ ? static_cast<unsigned char>(p_[i]) : 0u; };
        auto inRange = [](unsigned c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; };
        const unsigned c = at(0);
        if (inRange(c, 0xC2, 0xDF))
            return inRange(at(1), 0x80, 0xBF) ? 2 : 0;
        if (c == 0xE0)
            return inRange(at(1), 0xA0, 0xBF) && inRange(at(2), 0x80, 0xBF) ? 3 : 0;
        if (inRange(c, 0xE1, 0xEC) || c == 0xEE || c == 0xEF)
            return inRange(at(1), 0x80, 0xBF) && inRange(at(2), 0x80, 0xBF) ? 3 : 0;
        if (c == 0xED)
            return inRange(at(1), 0x80, 0x9F) && inRange(at(2), 0x80, 0xBF) ? 3 : 0;
        if (c == 0xF0)
            return inRange(at(1), 0x90, 0xBF) && inRange(at(2), 0x80, 0xBF) &&
                           inRange(at(3), 0x80, 0xBF)
                       ? 4
                       : 0;
        if (inRange(c, 0xF1, 0xF3))
            return inRange(at(1), 0x80, 0xBF) && inRange(at(2), 0x80, 0xBF) &&
                           inRange(at(3), 0x80, 0xBF)
                       ? 4
                       : 0;
        if (c == 0xF4)
            return inRange(at(1), 0x80, 0x8F) && inRange(at(2), 0x80, 0xBF) &&
                           inRange(at(3), 0x80, 0xBF)
                       ? 4
                       : 0;
        return 0;
    }

    const char* p_;
    const char* end_;
};

bool readValue(Cursor& in, FlatMember& member) {
    switch (in.peek()) {
    case '"':
        member.kind = FlatMember::Kind::String;
        return in.string(member.text);
    case 't':
        member.kind = FlatMember::Kind::Boolean;
        member.boolean = true;
        return in.takeWord("true");
    case 'f':
        member.kind = FlatMember::Kind::Boolean;
        member.boolean = false;
        return in.takeWord("false");
    default:
        return in.wholeNumber(member);
    }
}

} // namespace

bool readFlatObject(std::string_view line, std::vector<FlatMember>& members, size_t& count) {
    Cursor in(line);
    count = 0;
    in.skipSpace();
    if (!in.take('{'))
        return false;
    in.skipSpace();
    if (!in.take('}')) {
        do {
            in.skipSpace();
            if (count == members.size())
                members.emplace_back();
            FlatMember& member = members[count];
            if (!in.string(member.key))
                return false;
            in.skipSpace();
            if (!in.take(':'))
                return false;
            in.skipSpace();
            if (!readValue(in, member))
                return false;
            ++count;
            in.skipSpace();
        } while (in.take(','));
        if (!in.take('}'))
            return false;
    }
    in.skipSpace();
    return in.atEnd();
}

} // namespace hakomaru::cli
