#include "system/CodePage.h"

#include <cerrno>
#include <iconv.h>
#include <mutex>
#include <stdexcept>

namespace hakomaru::sys {
namespace {

// One glibc converter per direction, reset before each use. iconv
// descriptors are not thread-safe, hence the lock; the program itself has
// one thread.
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

    std::optional<std::string> run(std::string_view in) {
        std::lock_guard lock(mutex_);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        size_t used = 0;
        for (;;) {
            char* dst = out.data() + used;
            size_t dstLeft = out.size() - used;
            const size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (rc != static_cast<size_t>(-1))
                break;
            if (errno != E2BIG)
                return std::nullopt; // EILSEQ or EINVAL: not a character
            out.resize(out.size() * 2);
        }
        out.resize(used);
        return out;
    }

  private:
    iconv_t cd_;
    std::mutex mutex_;
};

} // namespace

std::optional<std::string> encodeCp932(std::string_view utf8) {
    static Converter encoder("CP932", "UTF-8");
    return encoder.run(utf8);
}

std::optional<std::string> decodeCp932(std::string_view cp932) {
    static Converter decoder("UTF-8", "CP932");
    return decoder.run(cp932);
}

} // namespace hakomaru::sys
