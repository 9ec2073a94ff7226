#include "macro/uiMacroClass.h"

#include "macro/MacroSteps.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace vanto {

namespace {

// A name beyond the record's 49 characters is cut as an edit field with that limit would cut
// it: the macro is kept and stays recognisable, where refusing it would lose the user's work.
void StoreMacroName(TMACROKEYINFO& AMacroKeyInfo, const std::u16string& AMacroName) {
    WriteRecordText(AMacroKeyInfo.szMacroName, AMacroName);
}

// The step position AIndex + AOffset, or nothing once it lies beyond every position a macro can
// take; computed wide because AIndex comes from the caller unchecked.
std::optional<int> StepPosition(int AIndex, std::size_t AOffset) {
    const long long Position = static_cast<long long>(AIndex) + static_cast<long long>(AOffset);
    if (Position > static_cast<long long>(MACRO_STEP_COUNT)) {
        return std::nullopt;
    }
    return static_cast<int>(Position);
}

} // namespace

TuiMacroClass::TuiMacroClass() = default;

TuiMacroClass::TuiMacroClass(const TMACROKEYINFOLIST& AMacroKeyInfoList) {
    AppendMacros(AMacroKeyInfoList);
}

std::unique_ptr<TuiMacroClass>
TuiMacroClass::CtlCreate(const TMACROKEYINFOLIST& AMacroKeyInfoList) {
    return std::make_unique<TuiMacroClass>(AMacroKeyInfoList);
}

TuiMacroClass::~TuiMacroClass() = default;

void TuiMacroClass::AppendMacros(const TMACROKEYINFOLIST& AMacroKeyInfoList) {
    const std::size_t Count = UsedMacroCount(AMacroKeyInfoList);
    FMacroKeyInfoList.insert(FMacroKeyInfoList.end(), AMacroKeyInfoList.MacroInfos,
                             AMacroKeyInfoList.MacroInfos + Count);
    if (!FMacroKeyInfoList.empty()) {
        FMacroListIndex = 0;
    }
}

bool TuiMacroClass::IsValidMacroIndex(int AIndex) const {
    return AIndex >= 0 && AIndex < GetMacroListCount();
}

TMACROKEYINFO& TuiMacroClass::EntryAt(int AIndex) {
    if (!IsValidMacroIndex(AIndex)) {
        throw std::out_of_range("Argument out of range");
    }
    return FMacroKeyInfoList[AIndex];
}

const TMACROKEYINFO& TuiMacroClass::MacroAt(int AIndex) const {
    if (!IsValidMacroIndex(AIndex)) {
        throw std::out_of_range("Argument out of range");
    }
    return FMacroKeyInfoList[AIndex];
}

TMACROKEYINFO* TuiMacroClass::FindEntry(int AIndex) {
    return IsValidMacroIndex(AIndex) ? &FMacroKeyInfoList[AIndex] : nullptr;
}

void TuiMacroClass::RenumberMacros() {
    for (std::size_t I = 0; I < FMacroKeyInfoList.size(); ++I) {
        FMacroKeyInfoList[I].nMacroIndex = static_cast<std::uint16_t>(I);
    }
}

void TuiMacroClass::RebuildCurrentMacroAction() {
    if (!IsValidMacroIndex(FMacroListIndex)) {
        return;
    }
    FCurrentMacroAction.reset();
    FCurrentMacroAction =
        TuiActionsClass::CtrlCreate(FMacroKeyInfoList[FMacroListIndex], this, FMacroListIndex);
}

int TuiMacroClass::GetMacroListCount() const {
    return static_cast<int>(FMacroKeyInfoList.size());
}

bool TuiMacroClass::GetIsEmpty() const {
    return FMacroKeyInfoList.empty();
}

bool TuiMacroClass::GetIsFull() const {
    return GetMacroListCount() >= FMaxMacroListCount;
}

void TuiMacroClass::GetCurrentMacroKeyItem(TMACROKEYINFO& AMacroKeyInfo) const {
    if (IsValidMacroIndex(FMacroListIndex)) {
        AMacroKeyInfo = FMacroKeyInfoList[FMacroListIndex];
    }
}

std::optional<TMACROKEYINFO> TuiMacroClass::CurrentMacroKeyInfo() const {
    if (!IsValidMacroIndex(FMacroListIndex)) {
        return std::nullopt;
    }
    return FMacroKeyInfoList[FMacroListIndex];
}

void TuiMacroClass::SetMacroListIndex(int Value) {
    if (!IsValidMacroIndex(Value)) {
        return;
    }
    FMacroListIndex = Value;
    RebuildCurrentMacroAction();
}

void TuiMacroClass::SetMacroKeyInfoList(const TMACROKEYINFOLIST& AMacroKeyInfoList) {
    AppendMacros(AMacroKeyInfoList);
}

void TuiMacroClass::GetMacroKeyInfoList(TMACROKEYINFOLIST& AMacroKeyInfoList) const {
    // CreateNewMacro may have grown the list past the record's 21 slots: the record gets the
    // first 21 and a count that says so, never a write past its end.
    const std::size_t Count = std::min(FMacroKeyInfoList.size(), MACRO_COUNT);
    AMacroKeyInfoList.nMacroInfoCount = static_cast<std::uint16_t>(Count);
    std::copy_n(FMacroKeyInfoList.begin(), Count, AMacroKeyInfoList.MacroInfos);
}

int TuiMacroClass::IndexOfMacroName(const std::u16string& AMacroName) const {
    for (std::size_t I = 0; I < FMacroKeyInfoList.size(); ++I) {
        if (MacroNameOf(FMacroKeyInfoList[I]) == AMacroName) {
            return static_cast<int>(I);
        }
    }
    return -1;
}

bool TuiMacroClass::MacroExists(const std::u16string& AMacroName) const {
    return IndexOfMacroName(AMacroName) >= 0;
}

void TuiMacroClass::CreateNewMacro(const std::u16string& AMacroName) {
    TMACROKEYINFO Macro{};
    Macro.nMacroIndex = static_cast<std::uint16_t>(FMacroKeyInfoList.size());
    StoreMacroName(Macro, AMacroName);
    FMacroKeyInfoList.push_back(Macro);
    FMacroListIndex = GetMacroListCount() - 1;
    RenumberMacros();
}

void TuiMacroClass::ReNameMacro(const std::u16string& AMacroName, int AIndex) {
    StoreMacroName(EntryAt(AIndex), AMacroName);
}

void TuiMacroClass::SwapMacros(int AIndex, int AOther) {
    std::swap(FMacroKeyInfoList[AIndex], FMacroKeyInfoList[AOther]);
    if (FMacroListIndex == AIndex) {
        FMacroListIndex = AOther;
    } else if (FMacroListIndex == AOther) {
        FMacroListIndex = AIndex;
    }
    RenumberMacros();
}

void TuiMacroClass::MoveUpMacro(int AIndex) {
    if (AIndex >= 1 && AIndex < GetMacroListCount()) {
        SwapMacros(AIndex, AIndex - 1);
    }
}

void TuiMacroClass::MoveDownMacro(int AIndex) {
    if (AIndex >= 0 && AIndex < GetMacroListCount() - 1) {
        SwapMacros(AIndex, AIndex + 1);
    }
}

void TuiMacroClass::DeleteMacro(int AIndex) {
    if (!IsValidMacroIndex(AIndex)) {
        return;
    }
    FMacroKeyInfoList.erase(FMacroKeyInfoList.begin() + AIndex);
    RenumberMacros();
    if (FMacroKeyInfoList.empty()) {
        FMacroListIndex = -1;
    } else if (FMacroListIndex >= GetMacroListCount()) {
        FMacroListIndex = GetMacroListCount() - 1;
    }
}

void TuiMacroClass::DeleteMacro(const std::u16string& AMacroName) {
    const int Index = IndexOfMacroName(AMacroName);
    if (Index >= 0) {
        DeleteMacro(Index);
    }
}

void TuiMacroClass::InsertMacro(const TMACROKEYINFO& AMacroKeyInfo, int AIndex) {
    InsertSteps(AMacroKeyInfo, AIndex, false);
}

void TuiMacroClass::InsertMacroAfter(const TMACROKEYINFO& AMacroKeyInfo, int AIndex) {
    InsertSteps(AMacroKeyInfo, AIndex, true);
}

void TuiMacroClass::InsertSteps(const TMACROKEYINFO& AMacroKeyInfo, int AIndex, bool AAfter) {
    if (!FCurrentMacroAction) {
        return;
    }
    // A copy: the record may be an entry of this list that the insertions rewrite.
    const TMACROKEYINFO Source = AMacroKeyInfo;
    const std::size_t Count = UsedStepCount(Source);
    for (std::size_t I = 0; I < Count && !FCurrentMacroAction->IsFull(); ++I) {
        const std::optional<int> Position = StepPosition(AIndex, I);
        if (!Position) {
            break;
        }
        if (AAfter) {
            FCurrentMacroAction->InsertActionAfter(Source.MacroList[I], *Position);
        } else {
            FCurrentMacroAction->InsertAction(Source.MacroList[I], *Position);
        }
    }
    RebuildCurrentMacroAction();
}

void TuiMacroClass::SaveBackCurrentMacroKeyInfo(const TMACROKEYINFO& AMacroKeyInfo) {
    if (!IsValidMacroIndex(FMacroListIndex)) {
        return;
    }
    FMacroKeyInfoList[FMacroListIndex] = AMacroKeyInfo;
    RebuildCurrentMacroAction();
}

void TuiMacroClass::SetMacroLoopValue(int AIndex, std::uint16_t ALoopValue) {
    EntryAt(AIndex).nLoopCount = ALoopValue;
    RebuildCurrentMacroAction();
}

void TuiMacroClass::CheckAllErrors() {
    for (int I = 0; I < GetMacroListCount(); ++I) {
        TuiActionsClass Checker(FMacroKeyInfoList[I], this, I);
        Checker.CheckErrors();
    }
}

} // namespace vanto
