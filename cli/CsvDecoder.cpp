#include "CsvDecoder.h"

#include "text/Sjis.h"

#include <utility>

namespace hakomaru::cli {
namespace {

constexpr std::string_view kReplacement = "\uFFFD";

bool isAscii(std::string_view text) {
    return firstNonAsciiByte(text) == std::string_view::npos;
}

// The field in UTF-8, or false when it is not Shift-JIS.
bool decodeSjis(std::string& field) {
    std::string decoded = fromSjis(field);
    if (decoded.find(kReplacement) != std::string::npos)
        return false;
    field = std::move(decoded);
    return true;
}

std::string refusal(size_t line, std::string_view encoding) {
    return std::to_string(line) + " 行目が " + std::string(encoding) +
           " として読めません。ファイル全体を UTF-8 か Shift-JIS で保存し直してください";
}

} // namespace

std::optional<std::string> CsvDecoder::decode(CsvRecord& record) {
    if (std::exchange(first_, false) && !record.fields.empty() &&
        record.fields[0].starts_with(kUtf8Bom)) {
        record.fields[0].erase(0, kUtf8Bom.size());
        encoding_ = Encoding::Utf8;
    }
    const bool guessing = encoding_ == Encoding::Unknown;
    for (std::string& field : record.fields) {
        if (isAscii(field))
            continue;
        if (encoding_ == Encoding::Unknown)
            encoding_ = isWellFormedUtf8(field) ? Encoding::Utf8 : Encoding::Sjis;
        const Encoding tried = encoding_;
        if (tried == Encoding::Utf8 ? isWellFormedUtf8(field) : decodeSjis(field))
            continue;
        if (guessing)
            encoding_ = Encoding::Unknown;
        return refusal(record.line, tried == Encoding::Utf8 ? "UTF-8"
                                    : guessing              ? "UTF-8 としても Shift-JIS"
                                                            : "Shift-JIS");
    }
    return std::nullopt;
}

} // namespace hakomaru::cli
