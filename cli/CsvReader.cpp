#include "CsvReader.h"

#include <istream>
#include <sstream>
#include <utility>

namespace hakomaru::cli {
namespace {

// Blanks alone, in any encoding: the bytes of ASCII blanks.
bool isBlank(std::string_view field) {
    return field.find_first_not_of(" \t") == std::string_view::npos;
}

} // namespace

CsvReader::CsvReader(std::istream& in) : in_(*in.rdbuf()) {}

int CsvReader::peek() {
    return in_.sgetc();
}

int CsvReader::take() {
    return in_.sbumpc();
}

std::optional<CsvRecord> CsvReader::next() {
    constexpr int kEnd = std::char_traits<char>::eof();
    for (;;) {
        // The LF of a CR LF that ended the last record: looked for only now,
        // so that the last record did not wait for it.
        if (std::exchange(afterCr_, false) && peek() == '\n')
            take();
        if (peek() == kEnd)
            return std::nullopt;
        CsvRecord record;
        record.line = line_;
        std::string field;
        size_t fieldLength = 0; // bytes the field has, kept or not
        size_t bytes = 0;       // bytes the record has so far
        bool quotedField = false;
        // Counts one byte of the record; past the limit its fields are
        // given up and nothing more is kept.
        auto count = [&] {
            if (++bytes > kMaxRecordBytes && !record.tooLong) {
                record.tooLong = true;
                record.fields = {};
                field = {};
            }
        };
        auto keep = [&](char c) {
            ++fieldLength;
            if (!record.tooLong)
                field += c;
        };
        for (;;) {
            const int c = take();
            if (c == kEnd)
                break;
            if (!quotedField && (c == '\r' || c == '\n')) {
                afterCr_ = c == '\r';
                ++line_;
                break;
            }
            count();
            if (quotedField) {
                if (c == '"' && peek() == '"') {
                    take();
                    count();
                    keep('"');
                } else if (c == '"') {
                    quotedField = false;
                } else {
                    if (c == '\n' || (c == '\r' && peek() != '\n'))
                        ++line_;
                    keep(static_cast<char>(c));
                }
            } else if (c == '"' && fieldLength == 0) {
                quotedField = true;
            } else if (c == ',') {
                if (!record.tooLong)
                    record.fields.push_back(std::move(field));
                field.clear();
                fieldLength = 0;
            } else {
                // A quote inside an unquoted field is taken as it is.
                keep(static_cast<char>(c));
            }
        }
        record.unterminated = quotedField;
        if (!record.tooLong)
            record.fields.push_back(std::move(field));
        const bool blank =
            record.fields.size() == 1 && isBlank(record.fields[0]) && !record.unterminated;
        if (!blank)
            return record;
    }
}

std::vector<CsvRecord> parseCsv(std::string_view text) {
    std::istringstream in{std::string(text)};
    CsvReader reader(in);
    std::vector<CsvRecord> records;
    while (auto record = reader.next())
        records.push_back(std::move(*record));
    return records;
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

} // namespace hakomaru::cli
