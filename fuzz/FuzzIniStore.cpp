// The INI store on arbitrary bytes: every kind of read, a write, and the
// save round trip. What the store writes must read back as the same store.
// The checker on the same bytes names only lines the file has.
// The same bytes as code page 932 text: decoded to well-formed UTF-8, and
// text decoded whole encodes back to bytes that decode to it again.
#include "ini/IniStore.h"
#include "ini/IniValues.h"
#include "text/Sjis.h"
#include "tools/TariffCheck.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace hakomaru;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    IniStore store(bytes);

    // Names taken from the input itself, so lookups hit as well as miss.
    const std::string_view all(bytes);
    const std::string_view section = all.substr(0, std::min<size_t>(size, 4));
    const std::string_view key = all.substr(std::min<size_t>(size, 4), 3);
    (void)readString(store, section, key);
    (void)readInteger(store, section, key, 7);
    (void)readBool(store, "Settings", "ShowPostal", true);
    (void)readInteger(store, "\x92\x6E\x91\xD1\x8B\xE6\x95\xAA", "a", 0);

    const size_t lines = iniLines(bytes).size();
    for (const TariffProblem& problem : checkTariff(bytes))
        if (problem.line > lines)
            std::abort();

    // What was saved reads back as the same file.
    const std::string saved = store.toBytes();
    if (IniStore(saved).toBytes() != saved)
        std::abort();

    // A written entry is found, also after a save round trip.
    store.write("FuzzSection", "FuzzKey", "12345");
    if (store.find("fuzzsection", "FUZZKEY") != std::optional<std::string_view>("12345"))
        std::abort();
    const IniStore reread(store.toBytes());
    if (readInteger(reread, "FuzzSection", "FuzzKey", 0) != 12345)
        std::abort();

    const std::string text = fromSjis(bytes);
    if (!isWellFormedUtf8(text))
        std::abort();
    if (text.find("\uFFFD") == std::string::npos && fromSjis(toSjis(text)) != text)
        std::abort();
    return 0;
}
