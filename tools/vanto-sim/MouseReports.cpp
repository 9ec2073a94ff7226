#include "MouseReports.h"

#include "shared/DeviceProtocol.h"
#include "shared/MacroStepCodes.h"

#include <algorithm>
#include <cstdio>

namespace vanto::simrun {

namespace {

unsigned Word(std::span<const std::uint8_t> ABytes, std::size_t AAt) {
    return ABytes[AAt] | (ABytes[AAt + 1] << 8);
}

std::string Hex(unsigned AValue) {
    char Text[8];
    std::snprintf(Text, sizeof Text, "%02X", AValue);
    return Text;
}

// Where in a bank an address falls, for a person who knows the memory map.
std::string RegionOf(unsigned AAddress) {
    const unsigned Offset = AAddress % DEVICE_BANK_DISTANCE;
    if (Offset == DEVICE_BUTTON_TABLE_ADDRESS) {
        return " (button table)";
    }
    if (Offset >= DEVICE_MACRO_SLOT_ADDRESS &&
        (Offset - DEVICE_MACRO_SLOT_ADDRESS) % DEVICE_MACRO_BLOCK_SIZE == 0) {
        const unsigned Slot = (Offset - DEVICE_MACRO_SLOT_ADDRESS) / DEVICE_MACRO_BLOCK_SIZE;
        if (Slot < DEVICE_MACRO_SLOT_COUNT) {
            return " (macro slot " + std::to_string(Slot) + ")";
        }
    }
    return {};
}

std::string DescribeStep(std::span<const std::uint8_t> AStep);

// A write that starts a macro slot carries the macro's first steps: they are shown decoded.
std::string DescribeWrite(std::span<const std::uint8_t> AReport) {
    const unsigned Address = Word(AReport, 2);
    const unsigned Length = Word(AReport, 4);
    const std::string Region = RegionOf(Address);
    std::string Text = "write memory bank " + std::to_string(Address / DEVICE_BANK_DISTANCE) +
                       " @" + std::to_string(Address) + " " + std::to_string(Length) + " bytes" +
                       Region;
    if (Region.starts_with(" (macro slot")) {
        const std::size_t Carried =
            std::min<std::size_t>(Length, AReport.size() - DEVICE_REPORT_HEADER_SIZE);
        if (auto Steps = DescribeMacroSlot(AReport.subspan(DEVICE_REPORT_HEADER_SIZE, Carried))) {
            Text += ": " + *Steps;
        }
    }
    return Text;
}

std::string DescribeStep(std::span<const std::uint8_t> AStep) {
    const unsigned Type = AStep[0] & 0x7F;
    const char* Edge = (AStep[0] & 0x80) != 0 ? " down" : " up";
    switch (Type) {
    case STEP_DELAY:
        return "delay " + std::to_string(Word(AStep, 1) * DEVICE_DELAY_UNIT_MS) + " ms";
    case STEP_LOOP:
        return "loop " + std::to_string(Word(AStep, 1));
    case STEP_MOUSE_BUTTON:
        return "button " + std::to_string(AStep[1]) + Edge;
    case STEP_WHEEL:
        return "wheel " + std::to_string(static_cast<std::int8_t>(AStep[1]));
    case STEP_KEY:
        return "key 0x" + Hex(AStep[1]) + Edge;
    case STEP_MEDIA_KEY:
        return "media key 0x" + Hex(AStep[2]) + Hex(AStep[1]) + Edge;
    default:
        return "step " + Hex(AStep[0]) + " " + Hex(AStep[1]) + " " + Hex(AStep[2]);
    }
}

} // namespace

std::string DescribeFeatureReport(std::span<const std::uint8_t> AReport) {
    if (AReport.size() < DEVICE_REPORT_HEADER_SIZE) {
        return "short feature report of " + std::to_string(AReport.size()) + " bytes";
    }
    std::string Text = "feature report " + std::to_string(AReport[0]) + ": ";
    switch (AReport[1]) {
    case DEVICE_COMMAND_WRITE_MEMORY:
        return Text + DescribeWrite(AReport);
    case DEVICE_COMMAND_MODE:
        return Text + "mode " + std::to_string(AReport[2]);
    default:
        return Text + "command " + std::to_string(AReport[1]);
    }
}

std::vector<std::string> DescribeButtonTable(std::span<const std::uint8_t> ATable) {
    std::vector<std::string> Lines;
    if (ATable.empty()) {
        return Lines;
    }
    const std::size_t Room = (ATable.size() - 1) / 4;
    const std::size_t Count = std::min<std::size_t>(ATable[0], Room);
    for (std::size_t K = 0; K < Count; ++K) {
        const std::size_t At = 1 + 4 * K;
        char Text[80];
        std::snprintf(Text, sizeof Text, "entry %2zu: device function %2u, P1 %3u, P2 %3u, P3 %3u",
                      K, ATable[At], ATable[At + 1], ATable[At + 2], ATable[At + 3]);
        Lines.emplace_back(Text);
    }
    return Lines;
}

std::optional<std::string> DescribeMacroSlot(std::span<const std::uint8_t> ASlot) {
    std::string Steps;
    std::size_t Count = 0;
    for (std::size_t At = 0; At + DEVICE_STEP_SIZE <= ASlot.size(); At += DEVICE_STEP_SIZE) {
        auto Step = ASlot.subspan(At, DEVICE_STEP_SIZE);
        if (std::all_of(Step.begin(), Step.end(), [](std::uint8_t B) { return B == 0; })) {
            break; // the mouse's end of a macro: nothing after the last step was written
        }
        Steps += (Count == 0 ? "" : ", ") + DescribeStep(Step);
        ++Count;
    }
    if (Count == 0) {
        return std::nullopt;
    }
    return std::to_string(Count) + " steps: " + Steps;
}

void TMouseReportWatcher::Poll() {
    const std::vector<std::vector<std::uint8_t>> Accepted = FMouse.AcceptedReports();
    for (; FSeenAccepted < Accepted.size(); ++FSeenAccepted) {
        FTrace.Line("mouse <- " + DescribeFeatureReport(Accepted[FSeenAccepted]));
    }
    const std::size_t Rejected = FMouse.RejectedCount();
    if (Rejected > FSeenRejected) {
        FTrace.Line("mouse rejected " + std::to_string(Rejected - FSeenRejected) +
                    " feature report(s)");
        FSeenRejected = Rejected;
    }
}

} // namespace vanto::simrun
