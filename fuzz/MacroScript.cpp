#include "MacroScript.h"

#include "device/DeviceEncoding.h"
#include "macro/MacroDescription.h"
#include "macro/MacroSteps.h"
#include "macro/uiActionsClass.h"
#include "macro/uiMacroClass.h"

#include <memory>
#include <stdexcept>

namespace vanto::fuzz {

namespace {

TMACROKEY StepOf(TFuzzInput& AInput) {
    TMACROKEY Step{};
    Step.nKeyType = static_cast<std::uint16_t>(AInput.Below(9));
    Step.nKeyState = static_cast<std::uint16_t>(AInput.Below(3));
    Step.Value1 = AInput.U8();
    Step.Value2 = AInput.U8();
    return Step;
}

// A step position near the ends and the middle of a macro, or any at all.
int IndexOf(TFuzzInput& AInput) {
    switch (AInput.Below(4)) {
    case 0:
        return static_cast<int>(AInput.Below(130));
    case 1:
        return -1;
    case 2:
        return static_cast<int>(AInput.U32());
    default:
        return static_cast<int>(AInput.Below(24));
    }
}

void CheckManager(const TuiMacroClass& AMacros) {
    const int Count = AMacros.MacroListCount();
    VANTO_FUZZ_CHECK(Count >= 0, "a negative macro count");
    VANTO_FUZZ_CHECK(AMacros.IsEmpty() == (Count == 0), "empty and count disagree");
    const int Current = AMacros.MacroListIndex();
    VANTO_FUZZ_CHECK(Count == 0 ? Current == -1 : (Current >= 0 && Current < Count),
                     "the current macro lies outside the list");
    auto Record = std::make_unique<TMACROKEYINFOLIST>();
    AMacros.GetMacroKeyInfoList(*Record);
    VANTO_FUZZ_CHECK(Record->nMacroInfoCount <= MACRO_COUNT, "the record claims too many macros");
    if (const TuiActionsClass* Editor = AMacros.CurrentMacroAction()) {
        VANTO_FUZZ_CHECK(Editor->MacroListCount() <= static_cast<int>(MACRO_STEP_COUNT),
                         "the editor holds more steps than a macro can");
        const int Step = Editor->ActionIndex();
        VANTO_FUZZ_CHECK(Step >= -1 && Step < Editor->MacroListCount(),
                         "the current step lies outside the macro");
        const TMACROKEYINFO Edited = Editor->GetMacroKeyInfo();
        VANTO_FUZZ_CHECK(Edited.MacroListCount == Editor->MacroListCount(),
                         "the edited macro's count is not its steps");
    }
}

void EditSteps(TFuzzInput& AInput, TuiActionsClass& AEditor) {
    const int Index = IndexOf(AInput);
    switch (AInput.Below(11)) {
    case 0:
        AEditor.SetActionIndex(Index);
        break;
    case 1:
        AEditor.SetDelayValue(Index, AInput.U16());
        break;
    case 2:
        AEditor.InsertAction(StepOf(AInput), Index);
        break;
    case 3:
        AEditor.InsertActionAfter(StepOf(AInput), Index);
        break;
    case 4:
        AEditor.DeleteAction(Index);
        break;
    case 5:
        AEditor.MoveUpAction(Index);
        break;
    case 6:
        AEditor.MoveDownAction(Index);
        break;
    case 7:
        AEditor.CopyAction(Index);
        break;
    case 8:
        AEditor.CutAction(Index);
        break;
    case 9:
        AEditor.PasteAction(Index);
        break;
    default:
        AEditor.CheckErrors();
        (void)AEditor.GetDelayValue(Index);
        (void)AEditor.TotalDelay();
        break;
    }
}

void EditList(TFuzzInput& AInput, TuiMacroClass& AMacros) {
    const int Index = IndexOf(AInput);
    try {
        switch (AInput.Below(13)) {
        case 0:
            AMacros.SetMacroListIndex(Index);
            break;
        case 1:
            if (!AMacros.IsFull()) {
                AMacros.CreateNewMacro(AInput.Text(80));
            }
            break;
        case 2:
            AMacros.ReNameMacro(AInput.Text(80), Index);
            break;
        case 3:
            AMacros.MoveUpMacro(Index);
            break;
        case 4:
            AMacros.MoveDownMacro(Index);
            break;
        case 5:
            AMacros.DeleteMacro(Index);
            break;
        case 6:
            AMacros.DeleteMacro(AInput.Text(60));
            break;
        case 7:
        case 8: {
            // Often a macro of the list itself, which the insertion rewrites as it goes.
            const int Source = static_cast<int>(AInput.Below(24));
            TMACROKEYINFO Macro{};
            if (Source < AMacros.MacroListCount()) {
                Macro = AMacros.MacroAt(Source);
            } else {
                Macro.MacroListCount = static_cast<std::int32_t>(AInput.U32());
            }
            if (AInput.Flag()) {
                AMacros.InsertMacro(Macro, Index);
            } else {
                AMacros.InsertMacroAfter(Macro, Index);
            }
            break;
        }
        case 9: {
            TMACROKEYINFO Macro{};
            Macro.MacroListCount = static_cast<std::int32_t>(AInput.U32());
            Macro.MacroList[0] = StepOf(AInput);
            AMacros.SaveBackCurrentMacroKeyInfo(Macro);
            break;
        }
        case 10:
            AMacros.SetMacroLoopValue(Index, AInput.U16());
            break;
        case 11:
            AMacros.CheckAllErrors();
            break;
        default:
            if (TuiActionsClass* Editor = AMacros.CurrentMacroAction()) {
                EditSteps(AInput, *Editor);
            }
            break;
        }
    } catch (const std::out_of_range&) {
        // The documented answer to an index outside the list.
    }
}

} // namespace

void CheckMacroEncodes(const TMACROKEYINFO& AMacro) {
    const std::vector<std::uint8_t> Encoded = EncodeMacro(AMacro);
    VANTO_FUZZ_CHECK(Encoded.size() == DeviceMacroLength(AMacro),
                     "the encoded macro is not as long as its length says");
    VANTO_FUZZ_CHECK(Encoded.size() <= DEVICE_MACRO_BLOCK_SIZE, "a macro overflows its slot");
    VANTO_FUZZ_CHECK(UsedStepCount(AMacro) <= MACRO_STEP_COUNT, "more steps than the record");
    (void)CountPairingErrors(UsedSteps(AMacro));
    (void)DescribeMacro(AMacro);
}

void RunMacroScript(TFuzzInput& AInput, const TMACROKEYINFOLIST& AList) {
    std::unique_ptr<TuiMacroClass> Macros = TuiMacroClass::CtlCreate(AList);
    VANTO_FUZZ_CHECK(Macros->MacroListCount() <= static_cast<int>(MACRO_COUNT),
                     "more macros taken than the record holds");
    CheckManager(*Macros);
    for (int Step = 0; Step < 64 && !AInput.Empty(); ++Step) {
        EditList(AInput, *Macros);
        CheckManager(*Macros);
    }
    for (const TMACROKEYINFO& Macro : Macros->MacroKeyInfoList()) {
        CheckMacroEncodes(Macro);
    }
}

} // namespace vanto::fuzz
