// Any text as a Lutris game's YAML and as a Heroic game's JSON: the readers
// name a prefix or none, and never crash, hang or throw.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/posix/launcher_configs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto prefix = LutrisGamePrefix(text); prefix && prefix->empty()) {
        std::abort();
    }
    for (const std::string& prefix : HeroicWinePrefixes(text)) {
        if (prefix.empty()) {
            std::abort();
        }
    }
    return 0;
}
