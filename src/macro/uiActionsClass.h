#pragma once

#include "shared/pubunit_quorvin.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vanto {

class TuiMacroClass;

// The step editor of one macro. It works on copies: after every step change the macro, made of
// FSourceMacroKeyInfo's fields and the edited steps, replaces the manager's entry FMacroIndex as
// a whole, and FSourceMacroKeyInfo is reloaded from that entry. Changes made to the entry by any
// other route are therefore overwritten by the next step change unless the editor is rebuilt.
class TuiActionsClass {
public:
    // Create: no steps, no current step, no manager.
    TuiActionsClass();
    // CtrlCreate: the steps of AMacroKeyInfo, the first one current; nothing is written back.
    // AMacroClass may be null for an editor that only works on its own copy.
    TuiActionsClass(const TMACROKEYINFO& AMacroKeyInfo, TuiMacroClass* AMacroClass,
                    int AMacroIndex);
    static std::unique_ptr<TuiActionsClass> CtrlCreate(const TMACROKEYINFO& AMacroKeyInfo,
                                                       TuiMacroClass* AMacroClass, int AMacroIndex);

    TuiActionsClass(const TuiActionsClass&) = delete;
    TuiActionsClass& operator=(const TuiActionsClass&) = delete;

    int ActionIndex() const { return FActionsIndex; }
    void SetActionIndex(int Value);
    int MacroListCount() const { return GetCount(); }
    bool IsFull() const { return GetIsActionsFull(); }
    bool IsEmpty() const { return GetIsActionsEmpty(); }
    std::uint32_t TotalDelay() const { return GetTotalDelay(); }

    int GetCount() const;
    bool GetIsActionsEmpty() const;
    bool GetIsActionsFull() const;
    std::uint32_t GetTotalDelay() const;

    const std::vector<TMACROKEY>& Actions() const { return FActionsList; }
    const TMACROKEYINFO& SourceMacroKeyInfo() const { return FSourceMacroKeyInfo; }
    int MacroIndex() const { return FMacroIndex; }
    bool CutOperationFlag() const { return FCutOperationFlag; }

    // Takes the steps and fields of AMacroKeyInfo and writes the macro back.
    void SetMacroKeyInfo(const TMACROKEYINFO& AMacroKeyInfo);
    TMACROKEYINFO GetMacroKeyInfo() const;
    void SaveBack();

    std::uint16_t GetDelayValue(int AIndex) const;
    void SetDelayValue(int AIndex, std::uint16_t ADelay);

    void InsertAction(const TMACROKEY& AAction, int AIndex);
    void InsertActionAfter(const TMACROKEY& AAction, int AIndex);
    void DeleteAction(int AIndex);
    void MoveUpAction(int AIndex);
    void MoveDownAction(int AIndex);
    void CopyAction(int AIndex);
    void CutAction(int AIndex);
    void PasteAction(int AIndex);

    // Counts the pairing errors of the steps into HaveErrors and ErrorCount of the manager's
    // entry; FSourceMacroKeyInfo keeps its old counters. Returns the count.
    int CheckErrors();

private:
    bool IsValidActionIndex(int AIndex) const;
    void LoadSteps(const TMACROKEYINFO& AMacroKeyInfo);
    void SwapActions(int AIndex, int AOther);

    TMACROKEYINFO FSourceMacroKeyInfo{};
    std::vector<TMACROKEY> FActionsList;
    int FActionsIndex = -1;
    int FMaxActionsCount = static_cast<int>(MACRO_STEP_COUNT);
    TuiMacroClass* FMacroClass = nullptr;
    int FMacroIndex = -1;
    bool FCutOperationFlag = false;
    std::vector<TMACROKEY> FSavedActionsList;
};

} // namespace vanto
