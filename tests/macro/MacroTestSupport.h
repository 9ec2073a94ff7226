#pragma once

#include "macro/MacroSteps.h"
#include "shared/pubunit_quorvin.h"

#include <gtest/gtest.h>

#include <initializer_list>
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

} // namespace vanto::test
