#include "VirtualMouse.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace vanto::vmouse {

namespace {

constexpr std::uint8_t BUTTON_REPORT = 7;
constexpr std::uint8_t PROFILE_REPORT = 8;

} // namespace

TVirtualMouse::TVirtualMouse()
    : FHandle(CreateFileW(VMOUSE_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)) {
}

TVirtualMouse::~TVirtualMouse() {
    if (IsOpen()) {
        CloseHandle(FHandle);
    }
}

bool TVirtualMouse::IsOpen() const {
    return FHandle != INVALID_HANDLE_VALUE;
}

bool TVirtualMouse::Control(std::uint32_t ACode, const void* AIn, std::uint32_t AInSize, void* AOut,
                            std::uint32_t AOutSize, std::uint32_t* AReturned) {
    if (!IsOpen()) {
        return false;
    }
    DWORD Returned = 0;
    const bool Done = DeviceIoControl(FHandle, ACode, const_cast<void*>(AIn), AInSize, AOut,
                                      AOutSize, &Returned, nullptr) != FALSE;
    if (AReturned != nullptr) {
        *AReturned = Returned;
    }
    return Done;
}

bool TVirtualMouse::PushReport(std::uint32_t ACollection, std::span<const std::uint8_t> AReport) {
    TVmouseInputReport Report{};
    if (AReport.empty() || AReport.size() > sizeof(Report.FBytes)) {
        return false;
    }
    Report.FCollection = ACollection;
    Report.FLength = static_cast<std::uint32_t>(AReport.size());
    std::copy(AReport.begin(), AReport.end(), Report.FBytes);
    return Control(VMOUSE_PUSH_INPUT_REPORT, &Report, sizeof(Report), nullptr, 0);
}

bool TVirtualMouse::PressButton(unsigned AKey) {
    if (AKey >= 24) {
        return false;
    }
    std::array<std::uint8_t, VMOUSE_INPUT_REPORT_SIZE> Press{BUTTON_REPORT};
    Press[1 + AKey / 8] = static_cast<std::uint8_t>(1u << (AKey % 8));
    const std::array<std::uint8_t, VMOUSE_INPUT_REPORT_SIZE> Release{BUTTON_REPORT};
    return PushReport(VMOUSE_VENDOR, Press) && PushReport(VMOUSE_VENDOR, Release);
}

bool TVirtualMouse::SelectProfile(unsigned AProfile) {
    const std::array<std::uint8_t, VMOUSE_INPUT_REPORT_SIZE> Report{
        PROFILE_REPORT, 1, static_cast<std::uint8_t>(AProfile)};
    return PushReport(VMOUSE_VENDOR, Report);
}

std::optional<TVmouseStatus> TVirtualMouse::Status() {
    TVmouseStatus Status{};
    if (!Control(VMOUSE_GET_STATUS, nullptr, 0, &Status, sizeof(Status))) {
        return std::nullopt;
    }
    return Status;
}

std::optional<std::vector<TFeatureReport>> TVirtualMouse::FeatureReports(std::uint32_t AFirst) {
    // 4 KiB and more: kept off the stack.
    auto Record = std::make_unique<TVmouseFeatureRecord>();
    std::vector<TFeatureReport> Reports;
    for (std::uint32_t Index = AFirst;; ++Index) {
        std::uint32_t Returned = 0;
        if (!Control(VMOUSE_GET_FEATURE_REPORT, &Index, sizeof(Index), Record.get(),
                     sizeof(*Record), &Returned)) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) {
                return Reports;
            }
            return std::nullopt;
        }
        const std::size_t Length = std::min<std::size_t>(Record->FLength, sizeof(Record->FBytes));
        Reports.push_back({std::vector<std::uint8_t>(Record->FBytes, Record->FBytes + Length),
                           Record->FStatus, Record->FReading});
    }
}

bool TVirtualMouse::FaultFeatureWrites(const TVmouseFeatureFault& AFault) {
    return Control(VMOUSE_FAULT_FEATURE_WRITES, &AFault, sizeof(AFault), nullptr, 0);
}

std::optional<TBank> TVirtualMouse::Bank(std::uint32_t ABank) {
    TVmouseBank Raw{};
    static_assert(sizeof(Raw) >= sizeof(ABank));
    std::memcpy(&Raw, &ABank, sizeof(ABank));
    if (!Control(VMOUSE_GET_BANK, &Raw, sizeof(Raw), &Raw, sizeof(Raw))) {
        return std::nullopt;
    }
    TBank Bank;
    std::copy(std::begin(Raw.FButtonTable), std::end(Raw.FButtonTable), Bank.FButtonTable.begin());
    for (std::size_t Slot = 0; Slot < VMOUSE_MACRO_SLOTS; ++Slot) {
        std::copy(std::begin(Raw.FMacroSlots[Slot]), std::end(Raw.FMacroSlots[Slot]),
                  Bank.FMacroSlots[Slot].begin());
    }
    return Bank;
}

bool TVirtualMouse::Reset() {
    return Control(VMOUSE_RESET, nullptr, 0, nullptr, 0);
}

bool TVirtualMouse::PlugInFresh(std::uint32_t AWaitMs, std::wstring& AError) {
    if (!IsOpen()) {
        AError = L"the virtual mouse is not installed (virtual-mouse install)";
        return false;
    }
    if (!IsPlugged() && !Plug(BuiltInfPath(), AError)) {
        return false;
    }
    if (!WaitForInterfaces(true, AWaitMs)) {
        AError = L"the mouse's interfaces did not come";
        return false;
    }
    if (!Reset()) {
        AError = L"the mouse refused to be reset";
        return false;
    }
    return true;
}

} // namespace vanto::vmouse
