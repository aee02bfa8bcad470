// The JSON Lines reader of the quote tool on arbitrary lines: every line gets
// one answer, and every answer is one line of valid JSON.
#include "JsonlProtocol.h"

#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

using namespace hakomaru;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const IniStore tariff(std::string("[\x92\x6E\x91\xD1\x8B\xE6\x95\xAA]\r\n"));
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const cli::JsonlAnswer answer = cli::answerRequestLine(tariff, line);
    if (answer.line.find('\n') != std::string::npos)
        std::abort();
    const auto parsed = nlohmann::json::parse(answer.line, nullptr, /*allow_exceptions=*/false);
    if (parsed.is_discarded() || !parsed.is_object())
        std::abort();
    return 0;
}
