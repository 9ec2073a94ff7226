#include "platform/win32/Win32Hid.h"

#include "platform/win32/WideText.h"
#include "platform/win32/Win32HidDevice.h"
#include "platform/win32/Win32HidLibrary.h"

#include <algorithm>
#include <cstddef>
#include <cwchar>

namespace vanto::win32 {

using platform::THidInterfaceInfo;

namespace {

// Large enough for any hardware-identifier list a device node carries.
constexpr DWORD HardwareIdBufferSize = 32768;

// Owns one set of present interfaces so that every return path destroys it.
class TInterfaceSet {
public:
    TInterfaceSet(const THidLibrary& ALibrary, const GUID& AClass)
        : FLibrary(ALibrary),
          FSet(ALibrary.SetupDiGetClassDevsW(&AClass, nullptr, nullptr,
                                             DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
    TInterfaceSet(const TInterfaceSet&) = delete;
    TInterfaceSet& operator=(const TInterfaceSet&) = delete;
    ~TInterfaceSet() {
        if (IsValid()) {
            FLibrary.SetupDiDestroyDeviceInfoList(FSet);
        }
    }

    bool IsValid() const { return FSet != INVALID_HANDLE_VALUE; }
    HDEVINFO Get() const { return FSet; }

private:
    const THidLibrary& FLibrary;
    HDEVINFO FSet;
};

// The interface's path, and its device node in ANode. Only an interface that reports a detail
// size in the documented way is read.
std::optional<std::u16string> InterfacePath(const THidLibrary& ALibrary, HDEVINFO ASet,
                                            SP_DEVICE_INTERFACE_DATA& AInterface,
                                            SP_DEVINFO_DATA& ANode) {
    DWORD Size = 0;
    if (ALibrary.SetupDiGetDeviceInterfaceDetailW(ASet, &AInterface, nullptr, 0, &Size, nullptr) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        Size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        return std::nullopt;
    }
    // Held in DWORDs for the alignment of the record's header.
    std::vector<DWORD> Storage((Size + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* Detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(Storage.data());
    Detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    ANode.cbSize = sizeof(ANode);
    if (!ALibrary.SetupDiGetDeviceInterfaceDetailW(ASet, &AInterface, Detail, Size, nullptr,
                                                   &ANode)) {
        return std::nullopt;
    }
    constexpr std::size_t PathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    const auto* Path =
        reinterpret_cast<const wchar_t*>(reinterpret_cast<const std::byte*>(Detail) + PathOffset);
    return FromWide({Path, wcsnlen(Path, (Size - PathOffset) / sizeof(wchar_t))});
}

std::vector<std::u16string> HardwareIds(const THidLibrary& ALibrary, HDEVINFO ASet,
                                        SP_DEVINFO_DATA& ANode) {
    std::vector<char16_t> Buffer(HardwareIdBufferSize / sizeof(char16_t));
    DWORD Type = 0;
    DWORD Returned = 0;
    if (!ALibrary.SetupDiGetDeviceRegistryPropertyW(ASet, &ANode, SPDRP_HARDWAREID, &Type,
                                                    reinterpret_cast<PBYTE>(Buffer.data()),
                                                    HardwareIdBufferSize, &Returned)) {
        return {};
    }
    const DWORD Bytes = std::min(Returned, HardwareIdBufferSize);
    return SplitMultiString({Buffer.data(), Bytes / sizeof(char16_t)});
}

std::optional<THidInterfaceInfo> DescribeInterface(const THidLibrary& ALibrary, HDEVINFO ASet,
                                                   SP_DEVICE_INTERFACE_DATA& AInterface) {
    SP_DEVINFO_DATA Node{};
    std::optional<std::u16string> Path = InterfacePath(ALibrary, ASet, AInterface, Node);
    if (!Path) {
        return std::nullopt;
    }
    return THidInterfaceInfo{std::move(*Path), HardwareIds(ALibrary, ASet, Node)};
}

HANDLE OpenHandle(const std::u16string& APath, DWORD AAccess, DWORD AFlags) {
    return CreateFileW(AsWide(APath), AAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, AFlags, nullptr);
}

} // namespace

TWin32Hid::TWin32Hid() : FLibrary(THidLibrary::Load()) {}

TWin32Hid::~TWin32Hid() = default;

std::optional<std::vector<THidInterfaceInfo>> TWin32Hid::PresentInterfaces() {
    if (!FLibrary->IsAvailable()) {
        return std::nullopt;
    }
    const GUID HidClass = FLibrary->HidClassGuid();
    const TInterfaceSet Set(*FLibrary, HidClass);
    if (!Set.IsValid()) {
        return std::nullopt;
    }
    std::vector<THidInterfaceInfo> Interfaces;
    SP_DEVICE_INTERFACE_DATA Interface{};
    Interface.cbSize = sizeof(Interface);
    for (DWORD Index = 0;
         FLibrary->SetupDiEnumDeviceInterfaces(Set.Get(), nullptr, &HidClass, Index, &Interface);
         ++Index) {
        if (std::optional<THidInterfaceInfo> Info =
                DescribeInterface(*FLibrary, Set.Get(), Interface)) {
            Interfaces.push_back(std::move(*Info));
        }
    }
    return Interfaces;
}

std::unique_ptr<platform::IHidDevice> TWin32Hid::Open(const std::u16string& APath,
                                                      bool AForReading) {
    if (!FLibrary->IsAvailable()) {
        return nullptr;
    }
    const DWORD Flags = AForReading ? FILE_FLAG_OVERLAPPED : FILE_ATTRIBUTE_NORMAL;
    HANDLE Handle = OpenHandle(APath, GENERIC_READ | GENERIC_WRITE, Flags);
    if (Handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        Handle = OpenHandle(APath, 0, Flags);
    }
    if (Handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    HANDLE ReadEvent = nullptr;
    if (AForReading) {
        ReadEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (ReadEvent == nullptr) {
            CloseHandle(Handle);
            return nullptr;
        }
    }
    return std::make_unique<TWin32HidDevice>(FLibrary, Handle, ReadEvent);
}

std::unique_ptr<platform::IHidStopSignal> TWin32Hid::CreateStopSignal() {
    return std::make_unique<TWin32HidStopSignal>();
}

std::vector<std::u16string> SplitMultiString(std::u16string_view AData) {
    std::vector<std::u16string> Strings;
    while (!AData.empty() && AData.front() != u'\0') {
        const std::size_t End = AData.find(u'\0');
        Strings.emplace_back(AData.substr(0, End));
        if (End == std::u16string_view::npos) {
            break;
        }
        AData.remove_prefix(End + 1);
    }
    return Strings;
}

} // namespace vanto::win32
