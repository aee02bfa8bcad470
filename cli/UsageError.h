#pragma once
#include <stdexcept>

namespace hakomaru::cli {

// A command line the tool cannot act on: an unknown option or name, a missing
// or out-of-range value. The message, in Japanese, says which and why.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace hakomaru::cli
