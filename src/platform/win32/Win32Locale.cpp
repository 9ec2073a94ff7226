#include "platform/win32/Win32Locale.h"

#include <windows.h>

namespace vanto::win32 {

std::uint16_t TWin32Locale::SystemDefaultLangID() {
    return GetSystemDefaultLangID();
}

std::uint32_t TWin32Locale::UserDefaultLCID() {
    return GetUserDefaultLCID();
}

} // namespace vanto::win32
