// Language files are written by hand in any editor: whatever bytes they hold must load into a
// table whose keys and texts pair up, and the loaded table must translate and write back.
#include "i18n/TBabelfish2000.h"
#include "util/Stream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
    TBabelfish2000 fish("Bytescope");
    fish.LoadFromStream(stream);
    if (fish.Keys().size() != fish.Texts().size())
        __builtin_trap();

    // Lookups are linear; a few keys are enough to reach every path of Translate.
    const std::vector<std::string> params{"one", "<%2%>", ""};
    const std::size_t count = std::min<std::size_t>(fish.Keys().size(), 16);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string key = fish.Keys()[i];
        fish.Translate(key, params);
    }
    fish.SetAutoCreateItlFile(true);
    fish.Translate("BF_Missing key");
    const std::string generated = fish.GeneratedItlText();
    fish.SetAutoCreateItlFile(false); // the destructor must not write into the current folder

    // What we write must load again with as many entries.
    TMemoryStream again(generated);
    TBabelfish2000 reader("Bytescope");
    reader.LoadFromStream(again);
    if (reader.Keys().size() < fish.Keys().size())
        __builtin_trap();
    return 0;
}
