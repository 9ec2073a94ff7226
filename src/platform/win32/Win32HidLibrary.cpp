#include "platform/win32/Win32HidLibrary.h"

namespace vanto::win32 {

namespace {

// The class every HID interface is registered under, for when hid.dll cannot tell us.
constexpr GUID FallbackHidClassGuid = {
    0x4d1e55b2, 0xf16f, 0x11cf, {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

HMODULE LoadSystemLibrary(const wchar_t* AName) {
    return LoadLibraryExW(AName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
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

THidLibrary::~THidLibrary() {
    Unbind();
}

std::shared_ptr<const THidLibrary> THidLibrary::Load() {
    std::shared_ptr<THidLibrary> Library(new THidLibrary());
    if (!Library->Bind()) {
        Library->Unbind();
    }
    return Library;
}

GUID THidLibrary::HidClassGuid() const {
    if (!IsAvailable()) {
        return FallbackHidClassGuid;
    }
    GUID Guid{};
    HidD_GetHidGuid(&Guid);
    return Guid;
}

bool THidLibrary::Bind() {
    FHid = LoadSystemLibrary(L"hid.dll");
    FSetupApi = LoadSystemLibrary(L"setupapi.dll");
    if (FHid == nullptr || FSetupApi == nullptr) {
        return false;
    }
#define VANTO_WIN32_RESOLVE(Module, Name)                                                          \
    if (!Resolve(Module, #Name, Name)) {                                                           \
        return false;                                                                              \
    }
#define VANTO_WIN32_RESOLVE_HID(Name) VANTO_WIN32_RESOLVE(FHid, Name)
#define VANTO_WIN32_RESOLVE_SETUPAPI(Name) VANTO_WIN32_RESOLVE(FSetupApi, Name)
    VANTO_WIN32_HID_FUNCTIONS(VANTO_WIN32_RESOLVE_HID)
    VANTO_WIN32_SETUPAPI_FUNCTIONS(VANTO_WIN32_RESOLVE_SETUPAPI)
#undef VANTO_WIN32_RESOLVE_SETUPAPI
#undef VANTO_WIN32_RESOLVE_HID
#undef VANTO_WIN32_RESOLVE
    return true;
}

void THidLibrary::Unbind() {
#define VANTO_WIN32_FORGET_FUNCTION(Name) Name = nullptr;
    VANTO_WIN32_HID_FUNCTIONS(VANTO_WIN32_FORGET_FUNCTION)
    VANTO_WIN32_SETUPAPI_FUNCTIONS(VANTO_WIN32_FORGET_FUNCTION)
#undef VANTO_WIN32_FORGET_FUNCTION
    if (FHid != nullptr) {
        FreeLibrary(FHid);
        FHid = nullptr;
    }
    if (FSetupApi != nullptr) {
        FreeLibrary(FSetupApi);
        FSetupApi = nullptr;
    }
}

} // namespace vanto::win32
