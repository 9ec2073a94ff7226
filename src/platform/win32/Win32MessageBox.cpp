#include "platform/win32/Win32MessageBox.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <array>
#include <string>

namespace vanto::win32 {

namespace {

// The executable's file name without folder and extension.
std::wstring ProgramName() {
    std::array<wchar_t, MAX_PATH> Path{};
    const DWORD Length = GetModuleFileNameW(nullptr, Path.data(), Path.size());
    std::wstring Name(Path.data(), Length < Path.size() ? Length : 0);
    if (const auto Slash = Name.find_last_of(L"\\/"); Slash != std::wstring::npos) {
        Name.erase(0, Slash + 1);
    }
    if (const auto Dot = Name.rfind(L'.'); Dot != std::wstring::npos) {
        Name.erase(Dot);
    }
    return Name;
}

} // namespace

void TWin32MessageBox::Show(const std::u16string& AText) {
    const std::wstring Caption = ProgramName();
    // The monitor has no visible window to own the box; task-modal still blocks every window
    // of this thread until the user answers.
    MessageBoxW(nullptr, AsWide(AText), Caption.c_str(), MB_OK | MB_TASKMODAL);
}

void TWin32MessageBox::ShowError(const std::u16string& AText, const std::u16string& ACaption) {
    MessageBoxW(nullptr, AsWide(AText), AsWide(ACaption), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

} // namespace vanto::win32
