#include "platform/sim/SimMouse.h"

#include <algorithm>

namespace vanto::sim {

namespace {

constexpr std::uint8_t BUTTON_REPORT = 7;
constexpr std::uint8_t PROFILE_REPORT = 8;
constexpr std::uint8_t COMMAND_WRITE_MEMORY = 2;
constexpr std::uint8_t COMMAND_MODE = 6;
constexpr std::size_t HEADER_SIZE = 8; // ID, command, six argument bytes
constexpr std::uint8_t WRITE_MARKER = 0xFA;

std::optional<std::size_t> ReportLengthOf(std::uint8_t AReportId) {
    switch (AReportId) {
    case 2:
        return 16;
    case 3:
        return 64;
    case 4:
        return 1024;
    case 5:
        return 2048;
    case 6:
        return 4096;
    default:
        return std::nullopt;
    }
}

std::uint16_t Word(std::span<const std::uint8_t> AReport, std::size_t AAt) {
    return static_cast<std::uint16_t>(AReport[AAt] | (AReport[AAt + 1] << 8));
}

// The payload length as every command code defines it, the top bit of the code cleared.
std::size_t PayloadLength(std::span<const std::uint8_t> AReport) {
    switch (AReport[1] & 0x7F) {
    case 0:
        return AReport[3];
    case 2:
    case 3:
        return Word(AReport, 4);
    default:
        return 0;
    }
}

std::u16string InterfacePath(const TSimMouseIdentity& AIdentity, std::u16string_view ACollection) {
    return u"\\\\?\\hid#vid_1234&pid_5678&mi_01&" + std::u16string(ACollection) + u"#" +
           AIdentity.FInstance + u"#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

} // namespace

TSimMouse::TSimMouse(TSimMouseIdentity AIdentity)
    : FIdentity(std::move(AIdentity)), FVendorPath(InterfacePath(FIdentity, u"col02")),
      FSystemMousePath(InterfacePath(FIdentity, u"col01")) {}

TSimMouse::~TSimMouse() {
    Unplug();
}

void TSimMouse::PlugInto(TSimHid& AHub) {
    Unplug();
    TSimHidCollection SystemMouse;
    SystemMouse.FPath = FSystemMousePath;
    SystemMouse.FCaps = {0x0002, 0x0001, 5, 0, 0};
    SystemMouse.FButtonUsages = 5;
    TSimHidCollection Vendor;
    Vendor.FPath = FVendorPath;
    Vendor.FCaps = {0x0001, 0xFFA0, MOUSE_INPUT_REPORT_LENGTH, 0, MOUSE_FEATURE_REPORT_LENGTH};
    Vendor.FFunctions = this;
    FHub = &AHub;
    AHub.FailReads(FVendorPath, FReadError);
    FDevice = AHub.Plug(FIdentity.FHardwareIds, {SystemMouse, Vendor});
}

void TSimMouse::Unplug() {
    if (FHub != nullptr) {
        TSimHid* Hub = FHub;
        FHub = nullptr;
        Hub->Unplug(FDevice);
    }
}

std::size_t TSimMouse::SendReport(std::span<const std::uint8_t> AReport) {
    return FHub != nullptr ? FHub->SendInputReport(FVendorPath, AReport) : 0;
}

void TSimMouse::FailReads(std::optional<std::uint32_t> AError) {
    FReadError = AError;
    if (FHub != nullptr) {
        FHub->FailReads(FVendorPath, AError);
    }
}

std::size_t TSimMouse::PressButton(unsigned AButton) {
    if (AButton >= 24) {
        return 0;
    }
    std::array<std::uint8_t, MOUSE_INPUT_REPORT_LENGTH> Report{BUTTON_REPORT};
    Report[1 + AButton / 8] = static_cast<std::uint8_t>(1u << (AButton % 8));
    std::size_t Receivers = SendReport(Report);
    std::array<std::uint8_t, MOUSE_INPUT_REPORT_LENGTH> Release{BUTTON_REPORT};
    SendReport(Release);
    return Receivers;
}

std::size_t TSimMouse::SwitchProfile(unsigned AProfile) {
    if (AProfile > 1) {
        return 0;
    }
    std::array<std::uint8_t, MOUSE_INPUT_REPORT_LENGTH> Report{PROFILE_REPORT, 1,
                                                               static_cast<std::uint8_t>(AProfile)};
    return SendReport(Report);
}

std::optional<TFeatureRejection>
TSimMouse::TakeFeatureReport(std::span<const std::uint8_t> AReport) {
    std::lock_guard Guard(FLock);
    std::optional<TFeatureRejection> Rejection = Decode(AReport);
    if (Rejection) {
        ++FRejected[*Rejection];
    } else {
        FAccepted.emplace_back(AReport.begin(), AReport.end());
    }
    return Rejection;
}

std::optional<TFeatureRejection> TSimMouse::Decode(std::span<const std::uint8_t> AReport) {
    if (AReport.empty()) {
        return TFeatureRejection::WrongLength;
    }
    std::optional<std::size_t> Length = ReportLengthOf(AReport[0]);
    if (!Length) {
        return TFeatureRejection::UnknownReportId;
    }
    if (AReport.size() != *Length) {
        return TFeatureRejection::WrongLength;
    }
    if (HEADER_SIZE + PayloadLength(AReport) > AReport.size()) {
        return TFeatureRejection::PayloadPastReport;
    }
    switch (AReport[1]) {
    case COMMAND_WRITE_MEMORY:
        return WriteMemory(AReport);
    case COMMAND_MODE:
        return SetMode(AReport[2]);
    default:
        return TFeatureRejection::UnknownCommand;
    }
}

std::optional<TFeatureRejection> TSimMouse::WriteMemory(std::span<const std::uint8_t> AReport) {
    if (AReport[6] != WRITE_MARKER || AReport[7] != WRITE_MARKER) {
        return TFeatureRejection::BadWriteMarker;
    }
    std::size_t Address = Word(AReport, 2);
    std::size_t Length = Word(AReport, 4);
    if (Address + Length > FMemory.size()) {
        return TFeatureRejection::PastMemory;
    }
    if (!FInUpload) {
        return TFeatureRejection::OutsideUpload;
    }
    std::copy_n(AReport.begin() + HEADER_SIZE, Length, FMemory.begin() + Address);
    return std::nullopt;
}

std::optional<TFeatureRejection> TSimMouse::SetMode(std::uint8_t AMode) {
    if (AMode > 1) {
        return TFeatureRejection::UnknownMode;
    }
    if (AMode == 1 && FInUpload) {
        ++FCompletedUploads;
    }
    FInUpload = AMode == 0;
    return std::nullopt;
}

std::uint32_t TSimMouse::OnSetFeature(std::span<const std::uint8_t> AReport) {
    // The firmware stalls the control transfer of a report it cannot take.
    return TakeFeatureReport(AReport) ? platform::HID_ERROR_GEN_FAILURE : platform::HID_ERROR_NONE;
}

std::uint32_t TSimMouse::OnGetFeature(std::span<std::uint8_t> /*AReport*/) {
    return platform::HID_ERROR_GEN_FAILURE; // the mouse has nothing to read back
}

std::uint32_t TSimMouse::OnWrite(std::span<const std::uint8_t> /*AReport*/) {
    return platform::HID_ERROR_GEN_FAILURE; // the vendor collection has no output report
}

std::array<std::uint8_t, MOUSE_MEMORY_SIZE> TSimMouse::Memory() const {
    std::lock_guard Guard(FLock);
    return FMemory;
}

template <std::size_t N> std::array<std::uint8_t, N> TSimMouse::Slice(std::size_t AAddress) const {
    std::array<std::uint8_t, N> Result{};
    std::lock_guard Guard(FLock);
    if (AAddress + N <= FMemory.size()) {
        std::copy_n(FMemory.begin() + AAddress, N, Result.begin());
    }
    return Result;
}

std::array<std::uint8_t, MOUSE_BUTTON_TABLE_SIZE> TSimMouse::ButtonTable(unsigned ABank) const {
    return Slice<MOUSE_BUTTON_TABLE_SIZE>(MOUSE_BUTTON_TABLE_ADDRESS + ABank * MOUSE_BANK_DISTANCE);
}

std::array<std::uint8_t, MOUSE_MACRO_SLOT_SIZE> TSimMouse::MacroSlot(unsigned ABank,
                                                                     unsigned ASlot) const {
    if (ASlot >= MOUSE_MACRO_SLOTS) {
        return {};
    }
    return Slice<MOUSE_MACRO_SLOT_SIZE>(MOUSE_MACRO_SLOT_ADDRESS + ABank * MOUSE_BANK_DISTANCE +
                                        ASlot * MOUSE_MACRO_SLOT_SIZE);
}

bool TSimMouse::InUpload() const {
    std::lock_guard Guard(FLock);
    return FInUpload;
}

std::size_t TSimMouse::CompletedUploads() const {
    std::lock_guard Guard(FLock);
    return FCompletedUploads;
}

std::vector<std::vector<std::uint8_t>> TSimMouse::AcceptedReports() const {
    std::lock_guard Guard(FLock);
    return FAccepted;
}

std::size_t TSimMouse::RejectedCount() const {
    std::lock_guard Guard(FLock);
    std::size_t Total = 0;
    for (const auto& [Reason, Count] : FRejected) {
        Total += Count;
    }
    return Total;
}

std::size_t TSimMouse::RejectedCount(TFeatureRejection AReason) const {
    std::lock_guard Guard(FLock);
    auto Found = FRejected.find(AReason);
    return Found == FRejected.end() ? 0 : Found->second;
}

} // namespace vanto::sim
