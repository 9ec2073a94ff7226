#include "UploadCommand.h"

#include "Utf8Text.h"
#include "VantoCtl.h"
#include "WholeFile.h"
#include "device/DeviceEncoding.h"
#include "device/ProfileUpload.h"
#include "platform/Hid.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimWindowSystem.h"
#include "shared/pubunit_quorvin.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vanto::ctl {

namespace {

constexpr unsigned MAX_BANK = 255;

constexpr std::string_view USAGE = "usage: vantoctl upload FILE.pfd --bank N [--decode]";

struct TUploadOptions {
    std::string_view FFile;
    unsigned FBank = 0;
    bool FDecode = false;
};

int UsageError(std::ostream& AErr, std::string_view AProblem) {
    AErr << "vantoctl: " << AProblem << "\n" << USAGE << "\n";
    return EXIT_USAGE;
}

std::optional<unsigned> ParseBank(std::string_view AText) {
    unsigned Value = 0;
    auto [End, Error] = std::from_chars(AText.data(), AText.data() + AText.size(), Value);
    if (AText.empty() || Error != std::errc{} || End != AText.data() + AText.size() ||
        Value > MAX_BANK) {
        return std::nullopt;
    }
    return Value;
}

// The problem with the command line, or nothing when AOptions is complete.
std::optional<std::string> ParseOptions(std::span<const std::string_view> AArgs,
                                        TUploadOptions& AOptions) {
    if (AArgs.empty() || AArgs[0].starts_with("--")) {
        return "upload needs a profile file";
    }
    AOptions.FFile = AArgs[0];
    bool HaveBank = false;
    for (std::size_t I = 1; I < AArgs.size(); ++I) {
        if (AArgs[I] == "--decode" && !AOptions.FDecode) {
            AOptions.FDecode = true;
        } else if (AArgs[I] == "--bank" && !HaveBank) {
            std::optional<unsigned> Bank;
            if (I + 1 < AArgs.size()) {
                Bank = ParseBank(AArgs[++I]);
            }
            if (!Bank) {
                return "--bank takes a number from 0 to " + std::to_string(MAX_BANK);
            }
            AOptions.FBank = *Bank;
            HaveBank = true;
        } else {
            return "unexpected argument '" + std::string(AArgs[I]) + "'";
        }
    }
    if (!HaveBank) {
        return "upload needs --bank N";
    }
    if (AOptions.FDecode && AOptions.FBank >= DEVICE_BANK_COUNT) {
        return "--decode shows bank 0 or 1, the banks the mouse has";
    }
    return std::nullopt;
}

// The whole file, which must be exactly one profile.
std::optional<std::string> ReadProfile(std::string_view AFile, TMouseProfileInfo& AProfile) {
    const auto ProfileSize = [](std::uintmax_t ASize) -> std::optional<std::string> {
        if (ASize != sizeof(TMouseProfileInfo)) {
            return std::to_string(ASize) + " bytes: not a profile (" +
                   std::to_string(sizeof(TMouseProfileInfo)) + ")";
        }
        return std::nullopt;
    };
    std::string Reason;
    const std::optional<std::vector<std::uint8_t>> Bytes =
        ReadWholeFile(AFile, ProfileSize, Reason);
    if (!Bytes) {
        return std::string(AFile) + ": " + Reason;
    }
    std::memcpy(&AProfile, Bytes->data(), sizeof(TMouseProfileInfo));
    return std::nullopt;
}

std::vector<std::uint8_t> ReportBytes(const THIDDataParam& AReportData) {
    const THidReallyData& Data = AReportData.Data;
    std::size_t Size = std::clamp<std::size_t>(Data.DATASIZE, 1, 1 + sizeof(Data.DATAReally));
    std::vector<std::uint8_t> Bytes(Size);
    Bytes[0] = Data.ReportID;
    std::copy_n(Data.DATAReally, Size - 1, Bytes.begin() + 1);
    return Bytes;
}

// Keeps the reports instead of sending them.
class TReportRecorder : public IFeatureReportTarget {
public:
    std::uint32_t HidFindAndSetFeatureReport(const THIDDataParam& ReportData) override {
        FReports.push_back(ReportBytes(ReportData));
        return platform::HID_ERROR_NONE;
    }
    std::vector<std::vector<std::uint8_t>> FReports;
};

// Hands the reports straight to the mouse's decoder, as a set-feature request would.
class TSimMouseTarget : public IFeatureReportTarget {
public:
    explicit TSimMouseTarget(sim::TSimMouse& AMouse) : FMouse(AMouse) {}
    std::uint32_t HidFindAndSetFeatureReport(const THIDDataParam& ReportData) override {
        return FMouse.OnSetFeature(ReportBytes(ReportData));
    }

private:
    sim::TSimMouse& FMouse;
};

void Upload(const TMouseProfileInfo& AProfile, unsigned ABank, IFeatureReportTarget& ATarget) {
    // The tool has no windows of its own: the loop only takes the upload's pauses.
    sim::TSimClock Clock;
    sim::TSimWindowSystem Windows(Clock);
    TProfileUploader Uploader(ATarget, Windows);
    Uploader.UploadProfileToDevice(AProfile, static_cast<int>(ABank));
    while (Uploader.IsUploading()) {
        Windows.ProcessPendingMessages();
    }
}

void PrintHex(std::ostream& AOut, const std::vector<std::uint8_t>& ABytes) {
    constexpr char DIGITS[] = "0123456789abcdef";
    std::string Line;
    Line.reserve(ABytes.size() * 2 + 1);
    for (std::uint8_t Byte : ABytes) {
        Line += DIGITS[Byte >> 4];
        Line += DIGITS[Byte & 0x0F];
    }
    AOut << Line << "\n";
}

std::string HexByte(std::uint8_t AByte) {
    constexpr char DIGITS[] = "0123456789abcdef";
    return {DIGITS[AByte >> 4], DIGITS[AByte & 0x0F]};
}

std::string StepTypeName(unsigned AType) {
    switch (AType) {
    case 1:
        return "mouse-button";
    case 2:
        return "mouse-move";
    case 3:
        return "wheel";
    case 4:
        return "key";
    case 5:
        return "media-key";
    default:
        return "type " + std::to_string(AType);
    }
}

std::string DescribeDeviceStep(std::uint8_t AFirst, std::uint8_t ASecond, std::uint8_t AThird) {
    unsigned Value = AThird * 256u + ASecond;
    if (AFirst == 0 && ASecond == 0 && AThird == 0) {
        return "none";
    }
    if (AFirst == 6) {
        return "delay " + std::to_string(Value) + " (" + std::to_string(Value * 10) + " ms)";
    }
    if (AFirst == 7) {
        return "loop " + std::to_string(Value);
    }
    std::string Action = (AFirst & 0x80) != 0 ? "press " : "release ";
    return Action + StepTypeName(AFirst & 0x7F) + " " + HexByte(ASecond) + " " + HexByte(AThird);
}

void PrintButtonTable(std::ostream& AOut, const sim::TSimMouse& AMouse, unsigned ABank) {
    auto Table = AMouse.ButtonTable(ABank);
    // The table has room for 16 entries whatever its count byte claims.
    std::size_t Count = std::min<std::size_t>(Table[0], (Table.size() - 1) / 4);
    AOut << "button table: " << unsigned{Table[0]} << " entries\n";
    for (std::size_t K = 0; K < Count; ++K) {
        const std::uint8_t* Entry = Table.data() + 1 + 4 * K;
        AOut << "entry " << K << ": function " << unsigned{Entry[0]} << ", parameters "
             << HexByte(Entry[1]) << " " << HexByte(Entry[2]) << " " << HexByte(Entry[3]) << "\n";
    }
}

// The mouse keeps no slot lengths; a slot shows up to its last step that is not all zero.
void PrintMacroSlot(std::ostream& AOut, const sim::TSimMouse& AMouse, unsigned ABank,
                    unsigned ASlot) {
    auto Slot = AMouse.MacroSlot(ABank, ASlot);
    std::size_t Steps = Slot.size() / 3;
    while (Steps > 0 && Slot[3 * Steps - 3] == 0 && Slot[3 * Steps - 2] == 0 &&
           Slot[3 * Steps - 1] == 0) {
        --Steps;
    }
    if (Steps == 0) {
        AOut << "slot " << ASlot << ": empty\n";
        return;
    }
    AOut << "slot " << ASlot << ": " << Steps << " steps\n";
    for (std::size_t J = 0; J < Steps; ++J) {
        AOut << "  step " << J << ": "
             << DescribeDeviceStep(Slot[3 * J], Slot[3 * J + 1], Slot[3 * J + 2]) << "\n";
    }
}

void PrintDecoded(std::ostream& AOut, const TMouseProfileInfo& AProfile, unsigned ABank) {
    sim::TSimMouse Mouse;
    TSimMouseTarget Target(Mouse);
    Upload(AProfile, ABank, Target);
    AOut << "bank " << ABank << "\n";
    PrintButtonTable(AOut, Mouse, ABank);
    for (unsigned Slot = 0; Slot < DEVICE_MACRO_SLOT_COUNT; ++Slot) {
        PrintMacroSlot(AOut, Mouse, ABank, Slot);
    }
    AOut << "rejected reports: " << Mouse.RejectedCount() << "\n";
}

} // namespace

int RunUploadCommand(std::span<const std::string_view> AArgs, std::ostream& AOut,
                     std::ostream& AErr) {
    TUploadOptions Options;
    if (auto Problem = ParseOptions(AArgs, Options)) {
        return UsageError(AErr, *Problem);
    }
    auto Profile = std::make_unique<TMouseProfileInfo>();
    if (auto Problem = ReadProfile(Options.FFile, *Profile)) {
        AErr << "vantoctl: " << *Problem << "\n";
        return EXIT_FAILED;
    }
    if (Options.FDecode) {
        PrintDecoded(AOut, *Profile, Options.FBank);
        return EXIT_DONE;
    }
    TReportRecorder Recorder;
    Upload(*Profile, Options.FBank, Recorder);
    for (const std::vector<std::uint8_t>& Report : Recorder.FReports) {
        PrintHex(AOut, Report);
    }
    return EXIT_DONE;
}

} // namespace vanto::ctl
