#pragma once

#include "platform/Hid.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vanto::win32 {

class THidLibrary;

// The HID class through SetupAPI and hid.dll, both bound at run time from the system folder.
// Without them there are no interfaces and nothing opens.
class TWin32Hid final : public platform::IHid {
public:
    TWin32Hid();
    ~TWin32Hid() override;

    std::optional<std::vector<platform::THidInterfaceInfo>> PresentInterfaces() override;
    // When Windows holds the device exclusively, as it does system mice and keyboards, the handle
    // comes without read and write access: capabilities and feature reports still work.
    std::unique_ptr<platform::IHidDevice> Open(const std::u16string& APath,
                                               bool AForReading) override;
    std::unique_ptr<platform::IHidStopSignal> CreateStopSignal() override;

private:
    std::shared_ptr<const THidLibrary> FLibrary;
};

// The strings of a registry multi-string, up to its empty string or the end of AData, whichever
// comes first; a last string without its NUL still counts.
std::vector<std::u16string> SplitMultiString(std::u16string_view AData);

} // namespace vanto::win32
