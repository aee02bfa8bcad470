// The JSON Lines reader of the quote tool on arbitrary lines: every line gets
// one answer, and every answer is one line of valid JSON. The fast reader of
// flat lines accepts only what the general parser reads the same way.
#include "FlatJson.h"
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

    static std::vector<cli::FlatMember> members;
    size_t count = 0;
    if (cli::readFlatObject(line, members, count)) {
        const auto json = nlohmann::json::parse(line, nullptr, false);
        if (json.is_discarded() || !json.is_object())
            std::abort();
        for (size_t i = 0; i < count; ++i) {
            const auto& m = members[i];
            bool later = false; // a later member of the same name wins
            for (size_t k = i + 1; k < count; ++k)
                later = later || members[k].key == m.key;
            if (later)
                continue;
            const auto it = json.find(m.key);
            if (it == json.end())
                std::abort();
            using Kind = cli::FlatMember::Kind;
            const bool same =
                (m.kind == Kind::Boolean && it->is_boolean() && *it == m.boolean) ||
                (m.kind == Kind::Integer && it->is_number_integer() && !it->is_number_unsigned() &&
                 it->get<std::int64_t>() == m.integer) ||
                (m.kind == Kind::Unsigned && it->is_number_unsigned() &&
                 it->get<std::uint64_t>() == m.unsignedInteger) ||
                (m.kind == Kind::String && it->is_string() && *it == m.text);
            if (!same)
                std::abort();
        }
    }
    return 0;
}
