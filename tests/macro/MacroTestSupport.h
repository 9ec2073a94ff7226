#pragma once

#include "macro/MacroSteps.h"
#include "shared/pubunit_quorvin.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace vanto::test {

inline TMACROKEYINFO MacroOf(const std::u16string& AName, std::initializer_list<TMACROKEY> ASteps) {
    TMACROKEYINFO Macro{};
    WriteRecordText(Macro.szMacroName, AName);
    for (const TMACROKEY& Step : ASteps) {
        Macro.MacroList[Macro.MacroListCount++] = Step;
    }
    return Macro;
}

inline TMACROKEYINFOLIST ListOf(std::initializer_list<TMACROKEYINFO> AMacros) {
    TMACROKEYINFOLIST List{};
    for (const TMACROKEYINFO& Macro : AMacros) {
        List.MacroInfos[List.nMacroInfoCount++] = Macro;
    }
    return List;
}

// The 16-bit values of the steps in order: with distinct delays, a fingerprint of a sequence.
inline std::vector<std::uint16_t> CodesOf(const TMACROKEYINFO& AMacro) {
    std::vector<std::uint16_t> Codes;
    for (const TMACROKEY& Step : UsedSteps(AMacro)) {
        Codes.push_back(StepCode(Step));
    }
    return Codes;
}

inline std::vector<std::uint16_t> CodesOf(const std::vector<TMACROKEY>& ASteps) {
    std::vector<std::uint16_t> Codes;
    for (const TMACROKEY& Step : ASteps) {
        Codes.push_back(StepCode(Step));
    }
    return Codes;
}

// A recorded step as its four fields, to compare with the steps a test expects.
struct TStep {
    std::uint16_t FType;
    std::uint16_t FState;
    std::uint8_t FValue1;
    std::uint8_t FValue2;
    friend bool operator==(const TStep&, const TStep&) = default;
    friend std::ostream& operator<<(std::ostream& AOut, const TStep& AStep) {
        return AOut << "(" << AStep.FType << ", " << AStep.FState << ", " << int(AStep.FValue1)
                    << ", " << int(AStep.FValue2) << ")";
    }
};

inline std::vector<TStep> Steps(const TMACROKEYINFO& AMacro) {
    std::vector<TStep> Result;
    for (std::int32_t Index = 0; Index < AMacro.MacroListCount; ++Index) {
        const TMACROKEY& Key = AMacro.MacroList[Index];
        Result.push_back({Key.nKeyType, Key.nKeyState, Key.Value1, Key.Value2});
    }
    return Result;
}

} // namespace vanto::test
