#pragma once

#include "platform/sim/SimHid.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vanto::sim {

inline constexpr std::size_t MOUSE_MEMORY_SIZE = 4608;
inline constexpr std::size_t MOUSE_BANK_DISTANCE = 2304;
inline constexpr std::size_t MOUSE_BUTTON_TABLE_ADDRESS = 144;
inline constexpr std::size_t MOUSE_BUTTON_TABLE_SIZE = 65;
inline constexpr std::size_t MOUSE_MACRO_SLOT_ADDRESS = 209;
inline constexpr std::size_t MOUSE_MACRO_SLOT_SIZE = 384;
inline constexpr std::size_t MOUSE_MACRO_SLOTS = 5;
inline constexpr std::uint16_t MOUSE_INPUT_REPORT_LENGTH = 8;
// Report 6, the longest feature report, is 4096 bytes.
inline constexpr std::uint16_t MOUSE_FEATURE_REPORT_LENGTH = 4096;

// Why the mouse turned a feature report away.
enum class TFeatureRejection {
    UnknownReportId,
    WrongLength, // the report's length is not the one of its ID
    UnknownCommand,
    UnknownMode,       // command 6 with a mode other than 0 and 1
    PayloadPastReport, // the payload length runs past the end of the report
    BadWriteMarker,    // command 2 without its 0xFA 0xFA argument bytes
    PastMemory,        // address + length runs past the memory
    OutsideUpload,     // a write that no mode 0 opened
};

struct TSimMouseIdentity {
    std::vector<std::u16string> FHardwareIds{u"HID\\VID_1234&PID_5678&MI_01&Col02",
                                             u"HID\\VID_1234&PID_5678&MI_01",
                                             u"HID_DEVICE_UP:FFA0_U:0001", u"HID_DEVICE"};
    // Part of every interface path, so that two mice have paths of their own.
    std::u16string FInstance = u"7&2a1f0c3&0";
};

// A simulated mouse with the vendor collection (page 0xFFA0, usage 0x0001) and the system
// mouse collection beside it. It sends input reports 7 (button) and 8 (profile) when asked, and
// takes feature reports 2..6 with the commands 2 (write memory) and 6 (mode) into a memory of
// two profile banks. Malformed reports are counted and change nothing. A plugged mouse unplugs
// itself when destroyed, so the hub must outlive it.
class TSimMouse : public ISimHidFunctions {
public:
    explicit TSimMouse(TSimMouseIdentity AIdentity = {});
    ~TSimMouse() override;
    TSimMouse(const TSimMouse&) = delete;
    TSimMouse& operator=(const TSimMouse&) = delete;

    void PlugInto(TSimHid& AHub);
    void Unplug();
    bool IsPlugged() const { return FHub != nullptr; }
    // The hub's id of the plugged mouse, for the hub's failure switches.
    TSimDeviceId Device() const { return FDevice; }

    const std::u16string& VendorPath() const { return FVendorPath; }
    const std::u16string& SystemMousePath() const { return FSystemMousePath; }
    const TSimMouseIdentity& Identity() const { return FIdentity; }

    // Report 7 with bit AButton (0..23) of the mask set, then the all-zero release. The result is
    // the number of handles that got the press.
    std::size_t PressButton(unsigned AButton);
    // Report 8 telling the host the mouse now uses onboard profile AProfile (0 or 1).
    std::size_t SwitchProfile(unsigned AProfile);
    std::size_t SendReport(std::span<const std::uint8_t> AReport);
    // From now on every read of the vendor collection fails with AError (a Windows error code),
    // plugged or not, until this is called with nothing. The hub counts the reads attempted.
    void FailReads(std::optional<std::uint32_t> AError);

    // The whole decoder; safe for any bytes.
    std::optional<TFeatureRejection> TakeFeatureReport(std::span<const std::uint8_t> AReport);

    std::uint32_t OnSetFeature(std::span<const std::uint8_t> AReport) override;
    std::uint32_t OnGetFeature(std::span<std::uint8_t> AReport) override;
    std::uint32_t OnWrite(std::span<const std::uint8_t> AReport) override;

    std::array<std::uint8_t, MOUSE_MEMORY_SIZE> Memory() const;
    std::array<std::uint8_t, MOUSE_BUTTON_TABLE_SIZE> ButtonTable(unsigned ABank) const;
    std::array<std::uint8_t, MOUSE_MACRO_SLOT_SIZE> MacroSlot(unsigned ABank, unsigned ASlot) const;
    bool InUpload() const;
    std::size_t CompletedUploads() const;
    std::vector<std::vector<std::uint8_t>> AcceptedReports() const;
    std::size_t RejectedCount() const;
    std::size_t RejectedCount(TFeatureRejection AReason) const;

private:
    std::optional<TFeatureRejection> Decode(std::span<const std::uint8_t> AReport);
    std::optional<TFeatureRejection> WriteMemory(std::span<const std::uint8_t> AReport);
    std::optional<TFeatureRejection> SetMode(std::uint8_t AMode);
    template <std::size_t N> std::array<std::uint8_t, N> Slice(std::size_t AAddress) const;

    TSimMouseIdentity FIdentity;
    std::u16string FVendorPath;
    std::u16string FSystemMousePath;
    TSimHid* FHub = nullptr;
    TSimDeviceId FDevice = 0;
    std::optional<std::uint32_t> FReadError;

    mutable std::mutex FLock;
    std::array<std::uint8_t, MOUSE_MEMORY_SIZE> FMemory{};
    bool FInUpload = false;
    std::size_t FCompletedUploads = 0;
    std::vector<std::vector<std::uint8_t>> FAccepted;
    std::map<TFeatureRejection, std::size_t> FRejected;
};

} // namespace vanto::sim
