#include "macro/MacroDescription.h"

#include "keys/uiKeyCode.h"

#include "macro/MacroSteps.h"

#include <cstdio>

namespace vanto {

namespace {

std::string Hex(unsigned AValue, int ADigits) {
    char Buffer[16];
    std::snprintf(Buffer, sizeof(Buffer), "0x%0*X", ADigits, AValue);
    return Buffer;
}

std::string Number(long long AValue) {
    return std::to_string(AValue);
}

// Press and release read as a key does; any other state is shown as it is, because playback
// skips such a step and the mouse gets an empty one.
std::string StateWord(std::uint16_t AState) {
    if (AState == STEP_PRESS) {
        return "down";
    }
    if (AState == STEP_RELEASE) {
        return "up";
    }
    return "state " + Number(AState);
}

std::string MouseButtonName(const TMACROKEY& AStep) {
    switch (AStep.Value2) {
    case MOUSE_INDEX_LEFT:
        return "left button";
    case MOUSE_INDEX_RIGHT:
        return "right button";
    case MOUSE_INDEX_MIDDLE:
        return "middle button";
    case MOUSE_INDEX_BACK:
        return "back button";
    case MOUSE_INDEX_FORWARD:
        return "forward button";
    default:
        return "mouse button " + Number(AStep.Value2) + " (bit " + Hex(AStep.Value1, 2) + ")";
    }
}

std::string DescribeWheel(const TMACROKEY& AStep) {
    if (AStep.Value2 == WHEEL_INDEX_UP && AStep.Value1 == WHEEL_VALUE_UP) {
        return "wheel up 1";
    }
    if (AStep.Value2 == WHEEL_INDEX_DOWN && AStep.Value1 == WHEEL_VALUE_DOWN) {
        return "wheel down 1";
    }
    return "wheel index " + Number(AStep.Value2) + " value " + Number(AStep.Value1);
}

std::string DescribeKey(const TMACROKEY& AStep) {
    // The key's name as the key tables give it; a key without a name shows its code.
    std::u16string Name = GetKeyDescription(AStep.Value1, AStep.Value2);
    std::string Text = "key " + (Name.empty() ? Hex(AStep.Value1, 2) : EscapedText(Name));
    if (AStep.Value2 != 0 && AStep.Value2 != 1) {
        Text += " flag " + Number(AStep.Value2);
    }
    return Text + " " + StateWord(AStep.nKeyState);
}

} // namespace

std::string DescribeMacroStep(const TMACROKEY& AStep) {
    switch (AStep.nKeyType) {
    case STEP_MOUSE_BUTTON:
        return MouseButtonName(AStep) + " " + StateWord(AStep.nKeyState);
    case STEP_MOUSE_MOVE:
        return "pointer x " + Number(AStep.Value1) + " y " + Number(AStep.Value2);
    case STEP_WHEEL:
        return DescribeWheel(AStep);
    case STEP_KEY:
        return DescribeKey(AStep);
    case STEP_MEDIA_KEY:
        return "media key " + Hex(StepCode(AStep), 4) + " " + StateWord(AStep.nKeyState);
    case STEP_DELAY:
        return "delay " + Number(StepCode(AStep)) + " ms";
    case STEP_LOOP:
        return "loop " + Number(StepCode(AStep));
    default:
        return "unknown step type " + Number(AStep.nKeyType) + " state " + Number(AStep.nKeyState) +
               " bytes " + Hex(AStep.Value1, 2) + " " + Hex(AStep.Value2, 2);
    }
}

std::string EscapedText(std::u16string_view AText) {
    std::string Result;
    for (char16_t C : AText) {
        if (C == u'\\') {
            Result += "\\\\";
        } else if (C >= 0x20 && C < 0x7F) {
            Result += static_cast<char>(C);
        } else {
            char Buffer[8];
            std::snprintf(Buffer, sizeof(Buffer), "\\u%04X", static_cast<unsigned>(C));
            Result += Buffer;
        }
    }
    return Result;
}

std::string DescribeMacro(const TMACROKEYINFO& AMacroKeyInfo) {
    const std::size_t Used = UsedStepCount(AMacroKeyInfo);
    std::string Text = "name: " + EscapedText(MacroNameOf(AMacroKeyInfo)) + "\n";
    Text += "steps: " + Number(AMacroKeyInfo.MacroListCount);
    if (static_cast<long long>(Used) != AMacroKeyInfo.MacroListCount) {
        Text += " (outside 0..128, showing " + Number(static_cast<long long>(Used)) + ")";
    }
    Text += "\nloop count: " + Number(AMacroKeyInfo.nLoopCount) + "\n";
    Text += "auto add delay: " + Number(AMacroKeyInfo.nAutoAddDelay) + "\n";
    Text += "macro index: " + Number(AMacroKeyInfo.nMacroIndex) + "\n";
    Text += "macro use: " + Number(AMacroKeyInfo.MacroUse) + "\n";
    Text += "version: " + Number(AMacroKeyInfo.Version) +
            (AMacroKeyInfo.Version == MACRO_FORMAT_VERSION ? " (valid)\n" : " (not valid)\n");
    Text += "have errors: " + Number(AMacroKeyInfo.HaveErrors) + "\n";
    Text += "error count: " + Number(AMacroKeyInfo.ErrorCount) + "\n";
    Text += "total delay: " + Number(SumOfDelays(UsedSteps(AMacroKeyInfo))) + " ms\n";
    const auto Steps = UsedSteps(AMacroKeyInfo);
    for (std::size_t I = 0; I < Steps.size(); ++I) {
        Text += Number(static_cast<long long>(I)) + ": " + DescribeMacroStep(Steps[I]) + "\n";
    }
    return Text;
}

} // namespace vanto
