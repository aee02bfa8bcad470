// The batch comparison on arbitrary input: every output line is one record
// of the fourteen output columns, and the streaming reader splits a text as
// the whole-text reader does.
#include "CsvCompare.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

using namespace hakomaru;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const IniStore tariff(std::string("[\x92\x6E\x91\xD1\x8B\xE6\x95\xAA]\r\n"));
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::ostringstream out;
    cli::runCsvComparison(tariff, input, out, {false, 8});
    for (const cli::CsvRecord& record : cli::parseCsv(out.str()))
        if (record.fields.size() != 14 || record.unterminated || record.tooLong)
            std::abort();

    std::istringstream in{std::string(input)};
    cli::CsvReader reader(in);
    for (const cli::CsvRecord& whole : cli::parseCsv(input)) {
        const auto streamed = reader.next();
        if (!streamed || streamed->fields != whole.fields || streamed->line != whole.line)
            std::abort();
    }
    if (reader.next())
        std::abort();
    return 0;
}
