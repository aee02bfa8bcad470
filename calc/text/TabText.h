#pragma once
// A block of cells as text, the way spreadsheets put a copied range on the
// clipboard: cells separated by tabs, rows by line ends (CR LF, LF or CR),
// usually a line end after the last row; a cell holding a tab, a line end
// or a double quote is written in double quotes, a quote inside doubled.
// The tariff editor pastes such a block into a table and copies one out.
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru {

using TextBlock = std::vector<std::vector<std::string>>; // rows of cells

// The rows of `text`; a line end after the last row adds no empty row,
// and an empty text has none. Rows keep the cells they have (a ragged
// block stays ragged).
TextBlock parseTabText(std::string_view text);

// The block as text: cells quoted where needed, each row ended by "\n".
std::string tabText(const TextBlock& block);

} // namespace hakomaru
