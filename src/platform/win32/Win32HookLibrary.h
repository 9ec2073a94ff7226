#pragma once

#include "platform/HookLibrary.h"
#include "platform/win32/uiHook/EntryPoints.h"

#include <windows.h>

#include <string>

namespace vanto::win32 {

// uiHook.dll, loaded by its full path from one folder (the executable's own unless another is
// given) and from nowhere else, so that a copy planted in the working folder or on the search
// path is never run.
class TWin32HookLibrary final : public platform::IHookLibrary {
public:
    TWin32HookLibrary();
    explicit TWin32HookLibrary(std::u16string AFolder);
    ~TWin32HookLibrary() override;
    TWin32HookLibrary(const TWin32HookLibrary&) = delete;
    TWin32HookLibrary& operator=(const TWin32HookLibrary&) = delete;

    platform::THookLoadResult Load() override;
    void Unload() override;
    // Without the library loaded these do nothing.
    void EnableKeyboardHook(platform::THookCallback ACallback, void* AContext) override;
    void DisableKeyboardHook() override;
    void EnableMouseHook(platform::THookCallback ACallback, void* AContext) override;
    void DisableMouseHook() override;
    // Needs no library: the system keeps the key state.
    bool KeyDown(std::uint32_t AVirtualKey) override;

    // The loaded module, or null.
    HMODULE Module() const { return FModule; }

private:
    struct TEntryPoints {
        uihook::TEnableHook FEnableKeyboard = nullptr;
        uihook::TDisableHook FDisableKeyboard = nullptr;
        uihook::TEnableHook FEnableMouse = nullptr;
        uihook::TDisableHook FDisableMouse = nullptr;
    };

    bool Bind();

    std::u16string FFolder;
    HMODULE FModule = nullptr;
    TEntryPoints FEntries;
};

} // namespace vanto::win32
