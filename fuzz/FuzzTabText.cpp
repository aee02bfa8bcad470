// Clipboard text as a block of cells: any bytes parse, every row has a
// cell, and the block written out parses back to the same block.
#include "text/TabText.h"

#include <cstdint>
#include <cstdlib>

using namespace hakomaru;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TextBlock block = parseTabText(text);
    for (const auto& row : block)
        if (row.empty())
            std::abort();
    if (parseTabText(tabText(block)) != block)
        std::abort();
    return 0;
}
