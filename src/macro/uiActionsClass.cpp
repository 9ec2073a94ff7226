#include "macro/uiActionsClass.h"

#include "macro/MacroSteps.h"
#include "macro/uiMacroClass.h"

#include <utility>

namespace vanto {

TuiActionsClass::TuiActionsClass() = default;

TuiActionsClass::TuiActionsClass(const TMACROKEYINFO& AMacroKeyInfo, TuiMacroClass* AMacroClass,
                                 int AMacroIndex)
    : FSourceMacroKeyInfo(AMacroKeyInfo), FMacroClass(AMacroClass), FMacroIndex(AMacroIndex) {
    LoadSteps(AMacroKeyInfo);
    if (!FActionsList.empty()) {
        FActionsIndex = 0;
    }
}

std::unique_ptr<TuiActionsClass> TuiActionsClass::CtrlCreate(const TMACROKEYINFO& AMacroKeyInfo,
                                                             TuiMacroClass* AMacroClass,
                                                             int AMacroIndex) {
    return std::make_unique<TuiActionsClass>(AMacroKeyInfo, AMacroClass, AMacroIndex);
}

void TuiActionsClass::LoadSteps(const TMACROKEYINFO& AMacroKeyInfo) {
    const auto Steps = UsedSteps(AMacroKeyInfo);
    FActionsList.assign(Steps.begin(), Steps.end());
}

bool TuiActionsClass::IsValidActionIndex(int AIndex) const {
    return AIndex >= 0 && AIndex < GetCount();
}

int TuiActionsClass::GetCount() const {
    return static_cast<int>(FActionsList.size());
}

bool TuiActionsClass::GetIsActionsEmpty() const {
    return FActionsList.empty();
}

bool TuiActionsClass::GetIsActionsFull() const {
    return GetCount() >= FMaxActionsCount;
}

std::uint32_t TuiActionsClass::GetTotalDelay() const {
    return SumOfDelays(FActionsList);
}

void TuiActionsClass::SetActionIndex(int Value) {
    if (IsValidActionIndex(Value)) {
        FActionsIndex = Value;
    }
}

void TuiActionsClass::SetMacroKeyInfo(const TMACROKEYINFO& AMacroKeyInfo) {
    LoadSteps(AMacroKeyInfo);
    // A macro without steps has no current step; an index kept from the old steps would name a
    // step that is not there.
    FActionsIndex = FActionsList.empty() ? -1 : 0;
    FSourceMacroKeyInfo = AMacroKeyInfo;
    SaveBack();
}

TMACROKEYINFO TuiActionsClass::GetMacroKeyInfo() const {
    TMACROKEYINFO Result = FSourceMacroKeyInfo;
    Result.MacroListCount = GetCount();
    for (std::size_t I = 0; I < FActionsList.size(); ++I) {
        Result.MacroList[I] = FActionsList[I];
    }
    return Result;
}

void TuiActionsClass::SaveBack() {
    TMACROKEYINFO* Entry = FMacroClass != nullptr ? FMacroClass->FindEntry(FMacroIndex) : nullptr;
    if (Entry == nullptr) {
        // No manager, or its list has shrunk below this editor's position since the editor was
        // built: the edit stays in this copy rather than landing outside the list.
        FSourceMacroKeyInfo = GetMacroKeyInfo();
        return;
    }
    *Entry = GetMacroKeyInfo();
    FSourceMacroKeyInfo = *Entry;
}

std::uint16_t TuiActionsClass::GetDelayValue(int AIndex) const {
    return IsValidActionIndex(AIndex) ? StepCode(FActionsList[AIndex]) : 0;
}

void TuiActionsClass::SetDelayValue(int AIndex, std::uint16_t ADelay) {
    if (!IsValidActionIndex(AIndex)) {
        return;
    }
    FActionsList[AIndex].Value1 = static_cast<std::uint8_t>(ADelay & 0xFF);
    FActionsList[AIndex].Value2 = static_cast<std::uint8_t>(ADelay >> 8);
    SaveBack();
}

void TuiActionsClass::InsertAction(const TMACROKEY& AAction, int AIndex) {
    if (GetIsActionsFull() || !IsValidActionIndex(AIndex)) {
        return;
    }
    FActionsList.insert(FActionsList.begin() + AIndex, AAction);
    if (AIndex == FActionsIndex) {
        FActionsIndex = AIndex + 1;
    }
    SaveBack();
}

void TuiActionsClass::InsertActionAfter(const TMACROKEY& AAction, int AIndex) {
    if (GetIsActionsFull()) {
        return;
    }
    if (IsValidActionIndex(AIndex)) {
        FActionsList.insert(FActionsList.begin() + AIndex + 1, AAction);
    } else if (AIndex == GetCount()) {
        FActionsList.push_back(AAction);
    } else {
        return;
    }
    SaveBack();
}

void TuiActionsClass::DeleteAction(int AIndex) {
    if (!IsValidActionIndex(AIndex)) {
        return;
    }
    FActionsList.erase(FActionsList.begin() + AIndex);
    if (FActionsIndex >= GetCount()) {
        FActionsIndex = GetCount() - 1;
    }
    SaveBack();
}

void TuiActionsClass::SwapActions(int AIndex, int AOther) {
    std::swap(FActionsList[AIndex], FActionsList[AOther]);
    if (FActionsIndex == AIndex) {
        FActionsIndex = AOther;
    } else if (FActionsIndex == AOther) {
        FActionsIndex = AIndex;
    }
}

void TuiActionsClass::MoveUpAction(int AIndex) {
    if (AIndex < 1 || AIndex >= GetCount()) {
        return;
    }
    SwapActions(AIndex, AIndex - 1);
    SaveBack();
}

void TuiActionsClass::MoveDownAction(int AIndex) {
    if (AIndex < 0 || AIndex >= GetCount() - 1) {
        return;
    }
    SwapActions(AIndex, AIndex + 1);
    SaveBack();
}

void TuiActionsClass::CopyAction(int AIndex) {
    if (!IsValidActionIndex(AIndex)) {
        return;
    }
    FSavedActionsList.assign(1, FActionsList[AIndex]);
    FCutOperationFlag = false;
    SaveBack();
}

void TuiActionsClass::CutAction(int AIndex) {
    if (!IsValidActionIndex(AIndex)) {
        return;
    }
    FSavedActionsList.assign(1, FActionsList[AIndex]);
    DeleteAction(AIndex);
    FCutOperationFlag = true;
}

void TuiActionsClass::PasteAction(int AIndex) {
    if (FSavedActionsList.empty()) {
        return;
    }
    InsertAction(FSavedActionsList.front(), AIndex);
    // A cut step exists once: it can be placed again only by cutting it again.
    if (FCutOperationFlag) {
        FSavedActionsList.clear();
        FCutOperationFlag = false;
    }
}

int TuiActionsClass::CheckErrors() {
    const int Errors = CountPairingErrors(FActionsList);
    TMACROKEYINFO* Entry = FMacroClass != nullptr ? FMacroClass->FindEntry(FMacroIndex) : nullptr;
    if (Entry != nullptr) {
        Entry->HaveErrors = Errors > 0 ? 1 : 0;
        Entry->ErrorCount = Errors;
    }
    return Errors;
}

} // namespace vanto
