#include "Sjis.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <mutex>
#include <stdexcept>

namespace hakomaru {
namespace {

// One converter per direction, reset before each use. iconv descriptors
// are not thread-safe, hence the lock; the program itself has one thread.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " +
                                     to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; on a byte sequence that cannot be converted calls
    // onBad(out), which may append a replacement and returns false to stop.
    // Output goes through a fixed buffer and is appended to the result, so
    // the cost stays linear however many bytes cannot be converted.
    template <typename OnBad> std::string run(std::string_view in, OnBad onBad) {
        std::lock_guard lock(mutex_);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.reserve(in.size() + in.size() / 2 + 16);
        char buffer[16384];
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            const int error = errno;
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (rc != static_cast<size_t>(-1) || error == E2BIG)
                continue;
            // EILSEQ or EINVAL: one byte cannot start a character here.
            if (!onBad(out, error == EINVAL))
                return out;
            ++src;
            --srcLeft;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

  private:
    iconv_t cd_;
    std::mutex mutex_;
};

Converter& encoder() {
    static Converter c("CP932", "UTF-8");
    return c;
}

Converter& decoder() {
    static Converter c("UTF-8", "CP932");
    return c;
}

} // namespace

std::size_t firstNonAsciiByte(std::string_view text) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (word & kHighBits)
            break;
    }
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return i;
    return std::string_view::npos;
}

static bool isAscii(std::string_view text) {
    return firstNonAsciiByte(text) == std::string_view::npos;
}

std::string toSjis(std::string_view utf8) {
    // Code page 932 keeps every ASCII byte as it is.
    if (isAscii(utf8))
        return std::string(utf8);
    return encoder().run(utf8, [&](std::string&, bool) -> bool {
        throw std::invalid_argument("text cannot be written in code page 932: " +
                                    std::string(utf8));
    });
}

std::string fromSjis(std::string_view sjis) {
    if (isAscii(sjis))
        return std::string(sjis);
    return decoder().run(sjis, [](std::string& out, bool) {
        out += "\uFFFD";
        return true;
    });
}

std::size_t firstNonSjisByte(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80 || (c >= 0xA1 && c <= 0xDF))
            continue;
        if (!isSjisLeadByte(c))
            return i + 1;
        const auto trail = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
            return i + 1;
        ++i;
    }
    return 0;
}

std::size_t utf8SequenceLength(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

bool isWellFormedUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t length = utf8SequenceLength(text.substr(i));
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

} // namespace hakomaru
