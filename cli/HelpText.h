#pragma once
#include <string_view>

namespace hakomaru::cli {

// The usage of hakomaru-quote, in Japanese with English glosses.
std::string_view helpText();

} // namespace hakomaru::cli
