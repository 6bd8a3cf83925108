#include "platform/posix/wine_prefixes_registry.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/wine_prefixes.h"
#include "platform/posix/wine_registry.h"

InstallationEntry WinePrefixesRegistry::ReadGameFolderEntry() {
    const PrefixSearch search = WineRegistry(WinePrefixesToSearch()).Search();
    if (verbose_) {
        const char* winePrefix = std::getenv("WINEPREFIX");
        if (winePrefix != nullptr && *winePrefix != '\0') {
            std::fputs("vorpane: WINEPREFIX is set: no other prefix is searched\n", stderr);
        }
        std::fputs(search.account.c_str(), stderr);
        std::fflush(stderr);
    }
    return search.entry;
}
