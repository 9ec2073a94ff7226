#pragma once

// clang-format off
#include <windows.h>
#include <hidsdi.h>
#include <setupapi.h>
// clang-format on

#include <memory>

namespace vanto::win32 {

// Every entry point taken from hid.dll and setupapi.dll. Both libraries are bound at run time so
// that the monitor still starts on a system without them; it then simply finds no device.
#define VANTO_WIN32_HID_FUNCTIONS(X)                                                               \
    X(HidD_GetHidGuid)                                                                             \
    X(HidD_GetAttributes)                                                                          \
    X(HidD_GetPreparsedData)                                                                       \
    X(HidD_FreePreparsedData)                                                                      \
    X(HidD_SetFeature)                                                                             \
    X(HidD_GetFeature)                                                                             \
    X(HidP_GetCaps)                                                                                \
    X(HidP_MaxUsageListLength)                                                                     \
    X(HidP_GetUsagesEx)

#define VANTO_WIN32_SETUPAPI_FUNCTIONS(X)                                                          \
    X(SetupDiGetClassDevsW)                                                                        \
    X(SetupDiEnumDeviceInterfaces)                                                                 \
    X(SetupDiGetDeviceInterfaceDetailW)                                                            \
    X(SetupDiGetDeviceRegistryPropertyW)                                                           \
    X(SetupDiDestroyDeviceInfoList)

// hid.dll and setupapi.dll, loaded from the system folder only so that a DLL planted beside the
// executable or in the working folder is never picked up. Either all entry points are bound or
// none is: callers check IsAvailable once instead of every pointer.
//
// The pointers carry the names of the functions they stand for, so that calls read like the
// platform's documentation.
class THidLibrary {
public:
    THidLibrary(const THidLibrary&) = delete;
    THidLibrary& operator=(const THidLibrary&) = delete;
    ~THidLibrary();

    // Shared by the enumerator and every device it opened, which may outlive it.
    static std::shared_ptr<const THidLibrary> Load();

    bool IsAvailable() const { return FHid != nullptr; }
    // The device-interface class of HID devices, also when the library is missing.
    GUID HidClassGuid() const;

#define VANTO_WIN32_DECLARE_FUNCTION(Name) decltype(&::Name) Name = nullptr;
    VANTO_WIN32_HID_FUNCTIONS(VANTO_WIN32_DECLARE_FUNCTION)
    VANTO_WIN32_SETUPAPI_FUNCTIONS(VANTO_WIN32_DECLARE_FUNCTION)
#undef VANTO_WIN32_DECLARE_FUNCTION

private:
    THidLibrary() = default;
    bool Bind();
    void Unbind();

    HMODULE FHid = nullptr;
    HMODULE FSetupApi = nullptr;
};

} // namespace vanto::win32
