#include "JsonlBatch.h"

#include "JsonlProtocol.h"

#include <istream>
#include <ostream>
#include <string>

namespace hakomaru::cli {
namespace {

// Answers are gathered and written in blocks of about this size.
constexpr size_t kOutputBlock = 1 << 16;

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

} // namespace

int runJsonlBatch(const IniStore& tariff, std::istream& in, std::ostream& out) {
    bool allWellFormed = true;
    std::string line;
    std::string pending;
    pending.reserve(kOutputBlock + 4096);
    while (std::getline(in, line)) {
        if (isBlank(line))
            continue;
        // A line ending in CR LF leaves the CR behind; JSON takes it as blank.
        JsonlAnswer answer = answerRequestLine(tariff, line);
        allWellFormed = allWellFormed && answer.wellFormed;
        pending += answer.line;
        pending += '\n';
        if (pending.size() >= kOutputBlock) {
            out.write(pending.data(), static_cast<std::streamsize>(pending.size()));
            pending.clear();
        }
    }
    out.write(pending.data(), static_cast<std::streamsize>(pending.size()));
    out.flush();
    // Answers that never arrived must not pass for a clean run.
    return allWellFormed && out ? 0 : 1;
}

} // namespace hakomaru::cli
