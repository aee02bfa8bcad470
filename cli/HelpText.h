#pragma once
#include <string>

namespace hakomaru::cli {

// The usage of hakomaru-quote, in Japanese with English glosses.
const std::string& helpText();

} // namespace hakomaru::cli
