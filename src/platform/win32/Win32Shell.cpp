#include "platform/win32/Win32Shell.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace vanto::win32 {

std::optional<std::u16string> TWin32Shell::DocumentsFolder() {
    PIDLIST_ABSOLUTE List = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &List)) || List == nullptr) {
        return std::nullopt;
    }
    wchar_t Path[MAX_PATH] = {};
    BOOL Found = SHGetPathFromIDListW(List, Path);
    // The shell's own release: ole32 stays unloaded in a monitor that does not mute.
    ILFree(List);
    if (!Found || Path[0] == L'\0') {
        return std::nullopt;
    }
    return FromWide(Path);
}

std::u16string TWin32Shell::ExecutableFolder() {
    // Long paths do not fit MAX_PATH: grow until the whole name fits.
    std::vector<wchar_t> Buffer(MAX_PATH);
    for (;;) {
        DWORD Length =
            GetModuleFileNameW(nullptr, Buffer.data(), static_cast<DWORD>(Buffer.size()));
        if (Length == 0) {
            return {};
        }
        if (Length < Buffer.size()) {
            std::u16string Path = FromWide({Buffer.data(), Length});
            return Path.substr(
                0, Path.find_last_of(u'\\') == std::u16string::npos ? 0 : Path.find_last_of(u'\\'));
        }
        Buffer.resize(Buffer.size() * 2);
    }
}

bool TWin32Shell::OpenProgram(const std::u16string& AFile, const std::u16string& AWorkingFolder) {
    // No error box of the shell's own: a missing program would show one per click.
    SHELLEXECUTEINFOW Info{};
    Info.cbSize = sizeof(Info);
    Info.fMask = SEE_MASK_FLAG_NO_UI;
    Info.lpVerb = L"open";
    Info.lpFile = AsWide(AFile);
    Info.lpDirectory = AsWide(AWorkingFolder);
    Info.nShow = SW_SHOW;
    return ShellExecuteExW(&Info) != FALSE;
}

} // namespace vanto::win32
