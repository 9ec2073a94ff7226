#include "platform/win32/Win32HookLibrary.h"

#include "platform/win32/WideText.h"

#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

namespace vanto::win32 {

namespace {

using platform::THookLoadResult;

// The library hands the system's own records to the core, which reads them as its own types.
static_assert(sizeof(platform::TMSLLHOOKSTRUCT) == sizeof(MSLLHOOKSTRUCT));
static_assert(offsetof(platform::TMSLLHOOKSTRUCT, X) == offsetof(MSLLHOOKSTRUCT, pt.x));
static_assert(offsetof(platform::TMSLLHOOKSTRUCT, Y) == offsetof(MSLLHOOKSTRUCT, pt.y));
static_assert(offsetof(platform::TMSLLHOOKSTRUCT, mouseData) ==
              offsetof(MSLLHOOKSTRUCT, mouseData));
static_assert(offsetof(platform::TMSLLHOOKSTRUCT, flags) == offsetof(MSLLHOOKSTRUCT, flags));
static_assert(offsetof(platform::TMSLLHOOKSTRUCT, time) == offsetof(MSLLHOOKSTRUCT, time));
static_assert(offsetof(platform::TMSLLHOOKSTRUCT, dwExtraInfo) ==
              offsetof(MSLLHOOKSTRUCT, dwExtraInfo));
static_assert(sizeof(platform::TKBDLLHOOKSTRUCT) == sizeof(KBDLLHOOKSTRUCT));
static_assert(offsetof(platform::TKBDLLHOOKSTRUCT, vkCode) == offsetof(KBDLLHOOKSTRUCT, vkCode));
static_assert(offsetof(platform::TKBDLLHOOKSTRUCT, scanCode) ==
              offsetof(KBDLLHOOKSTRUCT, scanCode));
static_assert(offsetof(platform::TKBDLLHOOKSTRUCT, flags) == offsetof(KBDLLHOOKSTRUCT, flags));
static_assert(offsetof(platform::TKBDLLHOOKSTRUCT, time) == offsetof(KBDLLHOOKSTRUCT, time));
static_assert(offsetof(platform::TKBDLLHOOKSTRUCT, dwExtraInfo) ==
              offsetof(KBDLLHOOKSTRUCT, dwExtraInfo));
static_assert(platform::LLMHF_INJECTED_FLAG == LLMHF_INJECTED);
static_assert(platform::LLKHF_EXTENDED_FLAG == LLKHF_EXTENDED);
static_assert(platform::LLKHF_UP_FLAG == LLKHF_UP);
// The core's callback goes to the library as it is.
static_assert(std::is_same_v<platform::THookCallback, uihook::TCallback>);

constexpr char16_t LIBRARY_NAME[] = u"uiHook.dll";

std::u16string ExecutableFolder() {
    // Long paths do not fit MAX_PATH: grow until the whole name fits.
    std::vector<wchar_t> Buffer(MAX_PATH);
    for (;;) {
        const DWORD Length =
            GetModuleFileNameW(nullptr, Buffer.data(), static_cast<DWORD>(Buffer.size()));
        if (Length == 0) {
            return {};
        }
        if (Length < Buffer.size()) {
            const std::u16string Path = FromWide({Buffer.data(), Length});
            const std::size_t Slash = Path.find_last_of(u'\\');
            return Slash == std::u16string::npos ? std::u16string() : Path.substr(0, Slash);
        }
        Buffer.resize(Buffer.size() * 2);
    }
}

// A relative name would be looked up along the search path, so the name is made absolute first.
std::u16string FullPathOf(const std::u16string& APath) {
    const DWORD Needed = GetFullPathNameW(AsWide(APath), 0, nullptr, nullptr);
    if (Needed == 0) {
        return {};
    }
    std::vector<wchar_t> Buffer(Needed);
    const DWORD Length = GetFullPathNameW(AsWide(APath), Needed, Buffer.data(), nullptr);
    return Length == 0 || Length >= Needed ? std::u16string() : FromWide({Buffer.data(), Length});
}

HMODULE LoadByFullPath(const std::u16string& APath) {
    // A damaged or foreign file must fail quietly rather than stop the monitor with a dialog.
    DWORD PreviousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &PreviousMode);
    HMODULE Module = LoadLibraryExW(AsWide(APath), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetThreadErrorMode(PreviousMode, nullptr);
    return Module;
}

// GetProcAddress hands out one generic pointer type; going through void (*)() keeps GCC from
// warning about the cast between unrelated function types.
template <typename TFunction>
bool Resolve(HMODULE AModule, const char* AName, TFunction& AFunction) {
    AFunction =
        reinterpret_cast<TFunction>(reinterpret_cast<void (*)()>(GetProcAddress(AModule, AName)));
    return AFunction != nullptr;
}

} // namespace

TWin32HookLibrary::TWin32HookLibrary() : TWin32HookLibrary(ExecutableFolder()) {}

TWin32HookLibrary::TWin32HookLibrary(std::u16string AFolder) : FFolder(std::move(AFolder)) {}

TWin32HookLibrary::~TWin32HookLibrary() {
    Unload();
}

THookLoadResult TWin32HookLibrary::Load() {
    if (FModule != nullptr) {
        return THookLoadResult::Loaded;
    }
    if (FFolder.empty()) {
        return THookLoadResult::NotFound;
    }
    const std::u16string Path = FullPathOf(FFolder + u"\\" + LIBRARY_NAME);
    if (Path.empty()) {
        return THookLoadResult::NotFound;
    }
    FModule = LoadByFullPath(Path);
    if (FModule == nullptr) {
        return THookLoadResult::NotFound;
    }
    if (!Bind()) {
        FreeLibrary(FModule);
        FModule = nullptr;
        FEntries = {};
        return THookLoadResult::Incomplete;
    }
    return THookLoadResult::Loaded;
}

bool TWin32HookLibrary::Bind() {
    return Resolve(FModule, uihook::ENABLE_KEYBOARD_HOOK, FEntries.FEnableKeyboard) &&
           Resolve(FModule, uihook::DISABLE_KEYBOARD_HOOK, FEntries.FDisableKeyboard) &&
           Resolve(FModule, uihook::ENABLE_MOUSE_HOOK, FEntries.FEnableMouse) &&
           Resolve(FModule, uihook::DISABLE_MOUSE_HOOK, FEntries.FDisableMouse);
}

void TWin32HookLibrary::Unload() {
    if (FModule == nullptr) {
        return;
    }
    // A hook left set would call into the library after its code is unmapped.
    FEntries.FDisableKeyboard();
    FEntries.FDisableMouse();
    FreeLibrary(FModule);
    FModule = nullptr;
    FEntries = {};
}

void TWin32HookLibrary::EnableKeyboardHook(platform::THookCallback ACallback, void* AContext) {
    if (FModule != nullptr) {
        FEntries.FEnableKeyboard(ACallback, AContext, 0);
    }
}

void TWin32HookLibrary::DisableKeyboardHook() {
    if (FModule != nullptr) {
        FEntries.FDisableKeyboard();
    }
}

void TWin32HookLibrary::EnableMouseHook(platform::THookCallback ACallback, void* AContext) {
    if (FModule != nullptr) {
        FEntries.FEnableMouse(ACallback, AContext, 0);
    }
}

void TWin32HookLibrary::DisableMouseHook() {
    if (FModule != nullptr) {
        FEntries.FDisableMouse();
    }
}

bool TWin32HookLibrary::KeyDown(std::uint32_t AVirtualKey) {
    // The high bit is the state now; the low bit (pressed since the last call) is shared with
    // every other caller in the process and means nothing to us.
    return (GetAsyncKeyState(static_cast<int>(AVirtualKey)) & 0x8000) != 0;
}

} // namespace vanto::win32
