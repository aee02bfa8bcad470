#include "text/TabText.h"

namespace hakomaru {

TextBlock parseTabText(std::string_view text) {
    TextBlock block;
    if (text.empty())
        return block;
    std::vector<std::string> row;
    std::string cell;
    std::size_t i = 0;
    auto endRow = [&] {
        row.push_back(std::move(cell));
        cell.clear();
        block.push_back(std::move(row));
        row.clear();
    };
    while (i < text.size()) {
        // A cell that opens with a quote runs to the quote that closes it;
        // whatever follows that quote up to the separator is kept as typed.
        if (cell.empty() && text[i] == '"') {
            std::size_t j = i + 1;
            std::string quoted;
            bool closed = false;
            while (j < text.size()) {
                if (text[j] == '"') {
                    if (j + 1 < text.size() && text[j + 1] == '"') {
                        quoted += '"';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                quoted += text[j++];
            }
            if (closed) {
                cell = std::move(quoted);
                i = j;
                if (i < text.size() && text[i] != '\t' && text[i] != '\r' && text[i] != '\n') {
                    // Not a quoted cell after all: the text as it stands.
                    const std::size_t end = text.find_first_of("\t\r\n", i);
                    cell = '"' + cell + '"' + std::string(text.substr(i, end - i));
                    i = end == std::string_view::npos ? text.size() : end;
                }
                if (i == text.size())
                    break;
            } else {
                // No closing quote: the quote is an ordinary character.
                cell += text[i++];
                continue;
            }
        }
        if (i >= text.size())
            break;
        const char c = text[i];
        if (c == '\t') {
            row.push_back(std::move(cell));
            cell.clear();
            ++i;
        } else if (c == '\r' || c == '\n') {
            i += c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
            endRow();
            if (i == text.size())
                return block; // the line end after the last row
        } else {
            cell += c;
            ++i;
        }
    }
    endRow();
    return block;
}

std::string tabText(const TextBlock& block) {
    std::string text;
    for (const auto& row : block) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                text += '\t';
            const std::string& cell = row[c];
            if (cell.find_first_of("\t\r\n\"") == std::string::npos) {
                text += cell;
                continue;
            }
            text += '"';
            for (const char ch : cell)
                text += ch == '"' ? std::string("\"\"") : std::string(1, ch);
            text += '"';
        }
        text += '\n';
    }
    return text;
}

} // namespace hakomaru
