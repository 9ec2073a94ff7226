#include "platform/win32/Win32DebugOutput.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace vanto::win32 {

void TWin32DebugOutput::Write(const std::u16string& AText) {
    OutputDebugStringW(AsWide(AText));
}

} // namespace vanto::win32
