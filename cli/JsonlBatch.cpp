#include "JsonlBatch.h"

#include "JsonlProtocol.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace hakomaru::cli {
namespace {

// Answers are gathered and written in blocks of about this size; input is
// read in blocks of this size too.
constexpr size_t kBlock = 1 << 16;

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

class Batch {
  public:
    Batch(const IniStore& tariff, std::ostream& out) : tariff_(tariff), out_(out) {
        pending_.reserve(kBlock + 4096);
    }

    // One whole line, without its LF.
    void line(std::string_view line) {
        if (isBlank(line))
            return;
        // A line ending in CR LF: the CR belongs to the line end.
        if (line.back() == '\r')
            line.remove_suffix(1);
        answer(answerRequestLine(tariff_, line));
    }

    void answer(const JsonlAnswer& answer) {
        allQuoted_ = allQuoted_ && answer.quoted;
        pending_ += answer.line;
        pending_ += '\n';
        if (pending_.size() >= kBlock)
            flush();
    }

    void flush() {
        out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
        pending_.clear();
    }

    bool allQuoted() const { return allQuoted_; }

  private:
    const IniStore& tariff_;
    std::ostream& out_;
    std::string pending_;
    bool allQuoted_ = true;
};

} // namespace

int runJsonlBatch(const IniStore& tariff, std::istream& in, std::ostream& out) {
    Batch batch(tariff, out);
    std::vector<char> block(kBlock);
    // The start of a line that runs on past the block read, kept only up to
    // the longest request line (and its CR): memory stays bounded whatever
    // arrives, a stream without line ends included.
    std::string carry;
    bool skipping = false; // the rest of a line already answered as too long
    std::streambuf* const source = in.rdbuf();
    for (;;) {
        // Takes what has arrived, up to a block. Before waiting for more, the
        // answers so far are written, so a program that sends one request
        // and waits for its answer is not kept waiting.
        std::streamsize ready = source ? source->in_avail() : -1;
        if (ready <= 0) {
            batch.flush();
            out.flush();
            if (!source || source->sgetc() == std::char_traits<char>::eof())
                break;
            ready = std::max<std::streamsize>(source->in_avail(), 1);
        }
        const auto got = static_cast<size_t>(source->sgetn(
            block.data(), std::min(ready, static_cast<std::streamsize>(block.size()))));
        if (got == 0)
            break;
        const char* p = block.data();
        const char* const end = p + got;
        while (p < end) {
            const auto* lf =
                static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            const char* stop = lf ? lf : end;
            const auto size = static_cast<size_t>(stop - p);
            if (skipping) {
                // Discarded up to the line end.
            } else if (carry.size() + size > kMaxRequestLine + 1) {
                batch.answer(tooLongAnswer());
                carry.clear();
                carry.shrink_to_fit();
                skipping = true;
            } else if (lf && carry.empty()) {
                batch.line(std::string_view(p, size));
            } else {
                carry.append(p, size);
                if (lf) {
                    batch.line(carry);
                    carry.clear();
                }
            }
            if (!lf)
                break;
            skipping = false;
            p = lf + 1;
        }
    }
    // The last line may lack its line end.
    if (!skipping && !carry.empty())
        batch.line(carry);
    batch.flush();
    out.flush();
    // A quote that failed or a line that was not a request must not pass for
    // a clean run, nor answers that never arrived.
    return batch.allQuoted() && out ? 0 : 1;
}

} // namespace hakomaru::cli
