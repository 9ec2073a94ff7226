#pragma once

#include "macro/uiActionsClass.h"
#include "platform/FileSystem.h"
#include "shared/pubunit_quorvin.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vanto {

// An ordered list of macros with a current macro and the step editor of that macro. The editor
// is rebuilt only by the operations that say so (RebuildCurrentMacroAction); after the others it
// keeps editing the position it was built for.
class TuiMacroClass {
public:
    // Create: an empty list, no current macro, no editor.
    TuiMacroClass();
    // CtlCreate: the valid macros of the record, the first one current; no editor yet.
    explicit TuiMacroClass(const TMACROKEYINFOLIST& AMacroKeyInfoList);
    static std::unique_ptr<TuiMacroClass> CtlCreate(const TMACROKEYINFOLIST& AMacroKeyInfoList);
    ~TuiMacroClass();

    // The editor refers to its manager by address.
    TuiMacroClass(const TuiMacroClass&) = delete;
    TuiMacroClass& operator=(const TuiMacroClass&) = delete;

    int MacroListIndex() const { return FMacroListIndex; }
    void SetMacroListIndex(int Value);
    int MacroListCount() const { return GetMacroListCount(); }
    bool IsFull() const { return GetIsFull(); }
    bool IsEmpty() const { return GetIsEmpty(); }
    std::optional<TMACROKEYINFO> CurrentMacroKeyInfo() const;
    TuiActionsClass* CurrentMacroAction() const { return GetCurrentMacroAction(); }

    int GetMacroListCount() const;
    bool GetIsEmpty() const;
    bool GetIsFull() const;
    TuiActionsClass* GetCurrentMacroAction() const { return FCurrentMacroAction.get(); }
    // Leaves AMacroKeyInfo as it was when the list is empty.
    void GetCurrentMacroKeyItem(TMACROKEYINFO& AMacroKeyInfo) const;

    const std::vector<TMACROKEYINFO>& MacroKeyInfoList() const { return FMacroKeyInfoList; }
    // Throws std::out_of_range for an index outside the list.
    const TMACROKEYINFO& MacroAt(int AIndex) const;

    // Appends the valid macros of the record without emptying the list first.
    void SetMacroKeyInfoList(const TMACROKEYINFOLIST& AMacroKeyInfoList);
    // Slots beyond the count keep what the caller's record held.
    void GetMacroKeyInfoList(TMACROKEYINFOLIST& AMacroKeyInfoList) const;

    bool MacroExists(const std::u16string& AMacroName) const;
    int IndexOfMacroName(const std::u16string& AMacroName) const;

    // Neither checks IsFull nor duplicate names: callers do.
    void CreateNewMacro(const std::u16string& AMacroName);
    // Throws std::out_of_range for an index outside the list.
    void ReNameMacro(const std::u16string& AMacroName, int AIndex);
    void MoveUpMacro(int AIndex);
    void MoveDownMacro(int AIndex);
    void DeleteMacro(int AIndex);
    void DeleteMacro(const std::u16string& AMacroName);

    // Insert the steps of AMacroKeyInfo into the current macro before step AIndex (InsertMacro)
    // or after it (InsertMacroAfter), while it has room. Need a current editor.
    void InsertMacro(const TMACROKEYINFO& AMacroKeyInfo, int AIndex);
    void InsertMacroAfter(const TMACROKEYINFO& AMacroKeyInfo, int AIndex);

    void SaveBackCurrentMacroKeyInfo(const TMACROKEYINFO& AMacroKeyInfo);
    // Throws std::out_of_range for an index outside the list.
    void SetMacroLoopValue(int AIndex, std::uint16_t ALoopValue);
    void CheckAllErrors();

    // Macro files: one raw TMACROKEYINFO per "<name>.macro". File-system failures and names
    // that cannot be file names raise EMacroFileError.
    static void SaveMacroKeyInfoListToMacroFiles(platform::IFileSystem& AFiles,
                                                 const TMACROKEYINFOLIST& AMacroKeyInfoList,
                                                 std::u16string AMacroPath);
    // False, with AMacroKeyInfo untouched, when the file does not exist. A short file leaves
    // the tail of AMacroKeyInfo as it was. The version is not checked.
    static bool LoadMacroFromFile(platform::IFileSystem& AFiles, const std::u16string& AMacroFile,
                                  TMACROKEYINFO& AMacroKeyInfo);
    static bool IsValidMacroVersion(const TMACROKEYINFO& AMacroKeyInfo);

private:
    friend class TuiActionsClass;

    bool IsValidMacroIndex(int AIndex) const;
    void RenumberMacros();
    void RebuildCurrentMacroAction();
    void InsertSteps(const TMACROKEYINFO& AMacroKeyInfo, int AIndex, bool AAfter);
    void AppendMacros(const TMACROKEYINFOLIST& AMacroKeyInfoList);
    void SwapMacros(int AIndex, int AOther);
    TMACROKEYINFO& EntryAt(int AIndex);
    // The editors' way into the list: null for a position that no longer exists.
    TMACROKEYINFO* FindEntry(int AIndex);

    std::vector<TMACROKEYINFO> FMacroKeyInfoList;
    int FMacroListIndex = -1;
    int FMaxMacroListCount = 20;
    std::unique_ptr<TuiActionsClass> FCurrentMacroAction;
};

} // namespace vanto
