// Stored translation tables ("ui.local" beside the monitor) of any content, through the public
// reader: it either refuses the bytes or gives a table that writes and reads back the same.

#include "FuzzSupport.h"
#include "i18n/LanguageTableFormat.h"

using namespace vanto;
using namespace vanto::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
    const std::optional<TLanguageTable> Table = ReadLanguageTable({AData, ASize});
    if (!Table) {
        return 0;
    }
    const std::vector<std::uint8_t> Written = WriteLanguageTable(*Table);
    const std::optional<TLanguageTable> Again = ReadLanguageTable(Written);
    VANTO_FUZZ_CHECK(Again.has_value(), "a table that was read does not read once written");
    VANTO_FUZZ_CHECK(*Again == *Table, "a table reads back different once written");
    for (const TLanguageResource& Language : Table->FLanguages) {
        VANTO_FUZZ_CHECK(IndexOfLanguage(Table->FLanguages, Language.FId) >= 0,
                         "a language is not found by its own id");
    }
    return 0;
}
