// Feature reports of any length and content into the simulated mouse's decoder. The tests of the
// upload believe what this decoder says, so it must be as careful as the firmware it stands for:
// a rejected report changes nothing, an accepted write changes exactly its own bytes.

#include "FuzzSupport.h"
#include "platform/sim/SimMouse.h"

#include <algorithm>
#include <array>

namespace vanto::fuzz {
namespace {

constexpr std::array<std::size_t, 5> LENGTHS{16, 64, 1024, 2048, 4096};

std::vector<std::uint8_t> ReadReport(TFuzzInput& AInput) {
    if (AInput.Below(4) == 0) {
        const auto Bytes = AInput.Bytes(AInput.Below(4200));
        return {Bytes.begin(), Bytes.end()};
    }
    // The usual shape: an ID of the mouse, its exact length, a command and its arguments.
    const std::size_t Kind = AInput.Below(LENGTHS.size());
    std::vector<std::uint8_t> Report(LENGTHS[Kind], 0);
    Report[0] = static_cast<std::uint8_t>(AInput.Flag() ? 2 + Kind : AInput.U8());
    Report[1] = AInput.Flag() ? (AInput.Flag() ? 2 : 6) : AInput.U8();
    const auto Head = AInput.Bytes(6);
    std::copy(Head.begin(), Head.end(), Report.begin() + 2);
    const auto Payload = AInput.Bytes(std::min<std::size_t>(AInput.U16(), Report.size() - 8));
    std::copy(Payload.begin(), Payload.end(), Report.begin() + 8);
    return Report;
}

} // namespace
} // namespace vanto::fuzz

using namespace vanto;
using namespace vanto::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
    TFuzzInput Input(AData, ASize);
    sim::TSimMouse Mouse;
    std::size_t Reports = 0;
    while (!Input.Empty() && Reports < 64) {
        const std::vector<std::uint8_t> Report = ReadReport(Input);
        ++Reports;
        const auto MemoryBefore = Mouse.Memory();
        const bool UploadBefore = Mouse.InUpload();
        const std::size_t CompletedBefore = Mouse.CompletedUploads();
        const auto Rejection = Mouse.TakeFeatureReport(Report);
        const auto MemoryAfter = Mouse.Memory();
        if (Rejection) {
            VANTO_FUZZ_CHECK(MemoryAfter == MemoryBefore && Mouse.InUpload() == UploadBefore &&
                                 Mouse.CompletedUploads() == CompletedBefore,
                             "a rejected report changed the mouse");
            continue;
        }
        VANTO_FUZZ_CHECK(Report.size() >= 16 && (Report[1] == 2 || Report[1] == 6),
                         "the mouse took a report it has no command for");
        if (Report[1] == 6) {
            VANTO_FUZZ_CHECK(MemoryAfter == MemoryBefore, "a mode command changed the memory");
            VANTO_FUZZ_CHECK(Mouse.InUpload() == (Report[2] == 0), "a mode command misread");
            VANTO_FUZZ_CHECK(Mouse.CompletedUploads() ==
                                 CompletedBefore + (UploadBefore && Report[2] == 1 ? 1 : 0),
                             "an upload was counted wrong");
            continue;
        }
        VANTO_FUZZ_CHECK(UploadBefore, "the mouse took a write outside an upload");
        const std::size_t Address = Report[2] | (Report[3] << 8);
        const std::size_t Length = Report[4] | (Report[5] << 8);
        VANTO_FUZZ_CHECK(Address + Length <= MemoryAfter.size() && 8 + Length <= Report.size(),
                         "the mouse took a write past its memory or its report");
        for (std::size_t At = 0; At < MemoryAfter.size(); ++At) {
            const bool Written = At >= Address && At < Address + Length;
            VANTO_FUZZ_CHECK(MemoryAfter[At] ==
                                 (Written ? Report[8 + At - Address] : MemoryBefore[At]),
                             "a write changed other bytes than its own");
        }
    }
    VANTO_FUZZ_CHECK(Mouse.AcceptedReports().size() + Mouse.RejectedCount() == Reports,
                     "a report was neither taken nor rejected");
    return 0;
}
