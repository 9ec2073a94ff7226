#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace vanto::win32 {

// A library that this image delay-loads, and that can be let go of again. The linker's stubs
// load the library at the first call and bind each entry of its address table as it is first
// called; unloading puts the stubs back, so that the next call loads the library afresh. The
// toolchain keeps no copy of the stubs for that, so one is taken before the first call.
class TDelayLoadedLibrary {
public:
    // ADescriptor is the library's delay-load descriptor in the image that holds this code. A
    // library that was loaded already cannot be let go of.
    explicit TDelayLoadedLibrary(const IMAGE_DELAYLOAD_DESCRIPTOR& ADescriptor);
    TDelayLoadedLibrary(const TDelayLoadedLibrary&) = delete;
    TDelayLoadedLibrary& operator=(const TDelayLoadedLibrary&) = delete;

    // Unloads the library if it is loaded; nothing of it may be in use.
    void Unload();

private:
    // Where the stubs keep the library's handle, and its address table.
    void** FModule = nullptr;
    std::uintptr_t* FTable = nullptr;
    std::vector<std::uintptr_t> FStubs;
};

} // namespace vanto::win32
