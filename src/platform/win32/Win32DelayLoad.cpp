#include "platform/win32/Win32DelayLoad.h"

#include <windows.h>

#include <algorithm>

namespace vanto::win32 {

namespace {

HMODULE ThisImage() {
    HMODULE Image = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisImage), &Image);
    return Image;
}

} // namespace

TDelayLoadedLibrary::TDelayLoadedLibrary(const IMAGE_DELAYLOAD_DESCRIPTOR& ADescriptor) {
    auto* Base = reinterpret_cast<std::uint8_t*>(ThisImage());
    if (!Base || !ADescriptor.Attributes.RvaBased) {
        return;
    }
    auto** Module = reinterpret_cast<void**>(Base + ADescriptor.ModuleHandleRVA);
    if (*Module != nullptr) {
        return; // some entries are bound already: the stubs are no longer all in the table
    }
    FModule = Module;
    FTable = reinterpret_cast<std::uintptr_t*>(Base + ADescriptor.ImportAddressTableRVA);
    for (const std::uintptr_t* Entry = FTable; *Entry != 0; ++Entry) {
        FStubs.push_back(*Entry);
    }
}

void TDelayLoadedLibrary::Unload() {
    if (!FModule || !*FModule) {
        return;
    }
    const HMODULE Library = static_cast<HMODULE>(*FModule);
    // The table is writable: the stubs write each bound entry into it.
    std::copy(FStubs.begin(), FStubs.end(), FTable);
    *FModule = nullptr;
    FreeLibrary(Library);
}

} // namespace vanto::win32
