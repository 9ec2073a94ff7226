#include "macro/MacroFiles.h"

#include "macro/MacroErrors.h"
#include "macro/MacroSteps.h"
#include "macro/uiMacroClass.h"

#include <algorithm>
#include <cstring>

namespace vanto {

namespace {

bool IsSeparator(char16_t AChar) {
    return AChar == u'\\' || AChar == u'/';
}

// Error texts are for a developer's eyes; characters outside ASCII become '?'.
std::string MessageWith(const char* AWhat, std::u16string_view AName) {
    std::string Result = AWhat;
    Result += ": ";
    for (char16_t C : AName) {
        Result += (C >= 0x20 && C < 0x7F) ? static_cast<char>(C) : '?';
    }
    return Result;
}

// The folder as the file system wants it for folder calls: without the trailing separator.
std::u16string FolderOf(const std::u16string& AMacroPath) {
    return AMacroPath.substr(0, AMacroPath.size() - 1);
}

void MakeSureFolderExists(platform::IFileSystem& AFiles, const std::u16string& AMacroPath) {
    const std::u16string Folder = FolderOf(AMacroPath);
    if (!AFiles.FolderExists(Folder) && !AFiles.MakeFolder(Folder)) {
        throw EMacroFileError(MessageWith("cannot create macro folder", Folder));
    }
}

// The old file stays whole until the new contents are completely on disk.
void WriteMacroFile(platform::IFileSystem& AFiles, const std::u16string& APath,
                    const TMACROKEYINFO& AMacroKeyInfo) {
    const std::u16string Temporary = APath + u".tmp";
    if (!AFiles.WriteWholeFile(Temporary, &AMacroKeyInfo, sizeof(AMacroKeyInfo))) {
        AFiles.RemoveFile(Temporary);
        throw EMacroFileError(MessageWith("cannot write macro file", Temporary));
    }
    if (!AFiles.ReplaceWith(Temporary, APath)) {
        AFiles.RemoveFile(Temporary);
        throw EMacroFileError(MessageWith("cannot replace macro file", APath));
    }
}

} // namespace

bool IsUsableMacroFileName(std::u16string_view AMacroName) {
    return !AMacroName.empty() && AMacroName != u"." && AMacroName != u".." &&
           std::none_of(AMacroName.begin(), AMacroName.end(), IsSeparator);
}

void TuiMacroClass::SaveMacroKeyInfoListToMacroFiles(platform::IFileSystem& AFiles,
                                                     const TMACROKEYINFOLIST& AMacroKeyInfoList,
                                                     std::u16string AMacroPath) {
    const std::size_t Count = UsedMacroCount(AMacroKeyInfoList);
    if (Count == 0) {
        return;
    }
    // An empty path would put the files at the root of the current drive.
    if (AMacroPath.empty()) {
        throw EMacroFileError("no folder given for the macro files");
    }
    if (!IsSeparator(AMacroPath.back())) {
        AMacroPath += u'\\';
    }
    for (std::size_t I = 0; I < Count; ++I) {
        const TMACROKEYINFO& Macro = AMacroKeyInfoList.MacroInfos[I];
        MakeSureFolderExists(AFiles, AMacroPath);
        const std::u16string Name = MacroNameOf(Macro);
        // The name comes from a record another program may have written; used unchecked, a
        // separator or a dot name would put the file outside the folder the caller chose.
        if (!IsUsableMacroFileName(Name)) {
            throw EMacroFileError(MessageWith("macro name cannot be a file name", Name));
        }
        WriteMacroFile(AFiles, AMacroPath + Name + std::u16string(MACRO_FILE_SUFFIX), Macro);
    }
}

bool TuiMacroClass::LoadMacroFromFile(platform::IFileSystem& AFiles,
                                      const std::u16string& AMacroFile,
                                      TMACROKEYINFO& AMacroKeyInfo) {
    if (!AFiles.FileExists(AMacroFile)) {
        return false;
    }
    const auto Data = AFiles.ReadWholeFile(AMacroFile);
    if (!Data) {
        throw EMacroFileError(MessageWith("cannot read macro file", AMacroFile));
    }
    if (!Data->empty()) {
        std::memcpy(&AMacroKeyInfo, Data->data(), std::min(Data->size(), sizeof(AMacroKeyInfo)));
    }
    return true;
}

bool TuiMacroClass::IsValidMacroVersion(const TMACROKEYINFO& AMacroKeyInfo) {
    return AMacroKeyInfo.Version == MACRO_FORMAT_VERSION;
}

} // namespace vanto
