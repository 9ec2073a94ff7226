// A profile's macro list as another program stored it, edited through the macro manager and
// its step editor.

#include "FuzzSupport.h"
#include "MacroScript.h"
#include "StoredRecords.h"

#include <algorithm>
#include <cstddef>
#include <memory>

using namespace vanto;
using namespace vanto::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
    TFuzzInput Input(AData, ASize);
    // The factory profile's list with changes, or bytes of their own at any size.
    const std::vector<std::uint8_t> Profile = ReadRecordBytes(Input, TRecordKind::GameProfile);
    auto List = std::make_unique<TMACROKEYINFOLIST>();
    constexpr std::size_t AT = offsetof(TMouseProfileInfo, MacroKeyInfoList);
    const std::size_t From = Profile.size() > AT ? AT : 0;
    std::copy_n(Profile.begin() + static_cast<std::ptrdiff_t>(From),
                std::min(Profile.size() - From, sizeof(TMACROKEYINFOLIST)),
                reinterpret_cast<std::uint8_t*>(List.get()));
    RunMacroScript(Input, *List);
    return 0;
}
