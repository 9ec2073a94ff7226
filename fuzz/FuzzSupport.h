#pragma once

// What every fuzz target needs: a reader over the input bytes, a way to fail loudly, the
// process's own folder for the simulated disk, and the checks several targets share.

#include "device/FeatureReportTarget.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimInputSynthesis.h"
#include "platform/sim/SimMouse.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vanto::fuzz {

// Reads the input front to back; once it is used up every read gives zeros, so any input is a
// complete script.
class TFuzzInput {
public:
    TFuzzInput(const std::uint8_t* AData, std::size_t ASize) : FBytes(AData, ASize) {}

    bool Empty() const { return FPos >= FBytes.size(); }
    std::size_t Left() const { return Empty() ? 0 : FBytes.size() - FPos; }
    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    // A value below ALimit (ALimit > 0), taking only as many bytes as the limit needs.
    std::uint32_t Below(std::uint32_t ALimit);
    bool Flag() { return (U8() & 1) != 0; }
    // At most ACount bytes: fewer when the input ends first.
    std::span<const std::uint8_t> Bytes(std::size_t ACount);
    std::span<const std::uint8_t> Rest() { return Bytes(Left()); }
    // A length byte, then that many UTF-16 units (two bytes each), at most AMaxUnits.
    std::u16string Text(std::size_t AMaxUnits);

private:
    std::span<const std::uint8_t> FBytes;
    std::size_t FPos = 0;
};

// A broken promise of the code under test: printed, then the process aborts, which libFuzzer
// reports as a crash with the input that caused it.
[[noreturn]] void Fail(const char* AWhat, const char* AFile, int ALine);

#define VANTO_FUZZ_CHECK(ACondition, AWhat)                                                        \
    do {                                                                                           \
        if (!(ACondition)) {                                                                       \
            ::vanto::fuzz::Fail(AWhat, __FILE__, __LINE__);                                        \
        }                                                                                          \
    } while (false)

// The process's folder for the simulated disk: one per process, below the temporary folder
// (TMPDIR; the fuzz script points it at memory where it can), removed when the process ends.
class TFuzzRoot {
public:
    explicit TFuzzRoot(const char* ATarget);
    ~TFuzzRoot();
    TFuzzRoot(const TFuzzRoot&) = delete;
    TFuzzRoot& operator=(const TFuzzRoot&) = delete;

    sim::TSimFileSystem& Files() { return FFiles; }
    const std::filesystem::path& Path() const { return FPath; }
    // Empties the disk and lays out the machine's usual folders again, so that no input sees
    // what an earlier one left.
    void Reset();

private:
    std::filesystem::path FPath;
    sim::TSimFileSystem FFiles;
};

// Creates every missing folder of a Windows path, level by level as the platform must.
void MakeFolders(platform::IFileSystem& AFiles, const std::u16string& AFolder);

// Feature reports go straight to a simulated mouse's decoder, as the HID path would deliver
// them; a rejected report comes back as the stalled transfer the firmware gives.
class TMouseFeatureSink : public IFeatureReportTarget {
public:
    explicit TMouseFeatureSink(sim::TSimMouse& AMouse) : FMouse(AMouse) {}
    std::uint32_t HidFindAndSetFeatureReport(const THIDDataParam& ReportData) override;

private:
    sim::TSimMouse& FMouse;
};

// Nothing the synthesised events pressed is still down after them: keys, the three buttons.
bool NothingLeftPressed(const std::vector<sim::TSimInputEvent>& AEvents);

// The mouse took every report, no upload is left open, and the memory outside the written bank
// is untouched (zero, as a new mouse has it). ABank outside 0 and 1: nothing may be written.
void CheckUploadLanded(const sim::TSimMouse& AMouse, int ABank);

} // namespace vanto::fuzz
