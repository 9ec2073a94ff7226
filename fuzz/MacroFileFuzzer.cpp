// ".macro" files of any size and content: loaded as the macro page loads them, then played,
// encoded for the mouse, described, edited and written back.

#include "FuzzSupport.h"
#include "MacroScript.h"
#include "macro/MacroErrors.h"
#include "macro/MacroPlayback.h"
#include "macro/uiActionsClass.h"
#include "macro/uiMacroClass.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimDebugOutput.h"
#include "platform/sim/SimPlatform.h"

#include <cstring>
#include <memory>

namespace vanto::fuzz {
namespace {

const std::u16string MACRO_FOLDER =
    std::u16string(sim::TSimPlatform::DOCUMENTS) + u"\\Vanto Gaming Mouse\\VantoProfile1_Macros";

void Play(const TMACROKEYINFO& AMacro) {
    sim::TSimClock Clock;
    sim::TSimInputSynthesis Input(Clock);
    sim::TSimDebugOutput Debug;
    TMonitorFlags Flags;
    auto Profile = std::make_unique<TMouseProfileInfo>();
    Profile->MacroKeyInfoList.MacroInfos[0] = AMacro;
    TMacroPlayer Player(Input, Debug, Flags, *Profile);
    Player.PlayCurrentMacro();
    Player.WaitForEnd();
    VANTO_FUZZ_CHECK(!Flags.MacroPlaying && Input.OpenPlaybacks() == 0, "a playback was left open");
    VANTO_FUZZ_CHECK(NothingLeftPressed(Input.Events()), "a playback left a key or button down");
}

// Saved, the macro is one whole file inside the folder, named after it, or it is refused.
void SaveAndReadBack(TFuzzRoot& ARoot, const TMACROKEYINFO& AMacro) {
    auto List = std::make_unique<TMACROKEYINFOLIST>();
    List->MacroInfos[0] = AMacro;
    List->nMacroInfoCount = 1;
    sim::TSimFileSystem& Files = ARoot.Files();
    try {
        TuiMacroClass::SaveMacroKeyInfoListToMacroFiles(Files, *List, MACRO_FOLDER);
    } catch (const EMacroFileError&) {
        return;
    }
    TMACROKEYINFO Back{};
    const std::u16string Path =
        MACRO_FOLDER + u"\\" + ReadRecordText(AMacro.szMacroName) + u".macro";
    VANTO_FUZZ_CHECK(TuiMacroClass::LoadMacroFromFile(Files, Path, Back),
                     "a saved macro is not where its name says");
    VANTO_FUZZ_CHECK(std::memcmp(&Back, &AMacro, sizeof(Back)) == 0,
                     "a saved macro reads back different");
}

} // namespace
} // namespace vanto::fuzz

using namespace vanto;
using namespace vanto::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
    static TFuzzRoot Root("macro_file");
    Root.Reset();
    MakeFolders(Root.Files(), MACRO_FOLDER);
    TFuzzInput Input(AData, ASize);
    const auto Bytes = Input.Bytes(Input.U16());
    const std::u16string File = MACRO_FOLDER + u"\\Loaded.macro";
    VANTO_FUZZ_CHECK(Root.Files().WriteWholeFile(File, Bytes.data(), Bytes.size()),
                     "the simulated disk refused a plain file");

    // A short file leaves the rest of the caller's record as it was.
    TMACROKEYINFO Macro;
    std::memset(&Macro, 0x5A, sizeof(Macro));
    VANTO_FUZZ_CHECK(TuiMacroClass::LoadMacroFromFile(Root.Files(), File, Macro),
                     "an existing macro file did not load");
    const auto* Raw = reinterpret_cast<const std::uint8_t*>(&Macro);
    for (std::size_t I = 0; I < sizeof(Macro); ++I) {
        VANTO_FUZZ_CHECK(Raw[I] == (I < Bytes.size() ? Bytes[I] : 0x5A),
                         "loading changed bytes the file does not hold");
    }
    (void)TuiMacroClass::IsValidMacroVersion(Macro);
    CheckMacroEncodes(Macro);
    Play(Macro);

    TuiActionsClass Editor(Macro, nullptr, 0);
    for (int Step = 0; Step < 16 && !Input.Empty(); ++Step) {
        switch (Input.Below(4)) {
        case 0:
            Editor.DeleteAction(static_cast<int>(Input.Below(130)));
            break;
        case 1:
            Editor.MoveDownAction(static_cast<int>(Input.Below(130)));
            break;
        case 2:
            Editor.SetDelayValue(static_cast<int>(Input.Below(130)), Input.U16());
            break;
        default:
            Editor.CheckErrors();
            break;
        }
    }
    const TMACROKEYINFO Edited = Editor.GetMacroKeyInfo();
    CheckMacroEncodes(Edited);
    SaveAndReadBack(Root, Edited);
    return 0;
}
