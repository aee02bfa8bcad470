#pragma once
// Turns what a person types on the command line into rows of the selection
// lists. Each function throws UsageError with a message naming the value.
#include <iosfwd>
#include <string>
#include <string_view>

namespace hakomaru::cli {

// A prefecture by its caption ("東京"), also with 都, 府 or 県 ("東京都").
// The destination list also has "同一市内". Separator rows are not places.
int sendingRowOf(std::string_view name);
int destinationRowOf(std::string_view name);

// The smallest weight class that holds a weight such as "3kg", "2kg以下",
// "500g" or a bare "3" (kilograms).
int parcelWeightRowOf(std::string_view text);

// The smallest size class that holds a sum of sides such as "60cm" or "75".
int sizeRowOf(std::string_view text);

// The smallest postal weight row that holds a weight such as "80g", "1.2kg"
// or a bare "80" (grams): rows 1 and 2 for a standard-size letter, rows 4 to
// 17 otherwise.
int postalWeightRowOf(std::string_view text, bool standardSize);

// A cash-on-delivery amount in units of 10,000 yen as the windows' amount
// edit accepts it: digits and one decimal point, at most 7 characters.
std::string codAmountOf(std::string_view text);

// The parcel count of several parcels to one address: 1 to 999.
std::string parcelCountOf(std::string_view text);

// A row given by its number, 0 to rowCount - 1; `what` names the list in
// the message.
int rowNumberOf(std::string_view text, int rowCount, std::string_view what);

// "rows": every selection list with its row numbers, as requests and
// --weight-row, --size-row and --sokin give them.
void printSelectionRows(std::ostream& out);

} // namespace hakomaru::cli
