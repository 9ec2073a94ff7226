#include "FuzzSupport.h"

#include "device/DeviceEncoding.h"
#include "platform/Hid.h"
#include "platform/InputSynthesis.h"
#include "platform/sim/SimPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <unistd.h>

namespace vanto::fuzz {

namespace fs = std::filesystem;

std::uint8_t TFuzzInput::U8() {
    return Empty() ? 0 : FBytes[FPos++];
}

std::uint16_t TFuzzInput::U16() {
    const std::uint16_t Low = U8();
    return static_cast<std::uint16_t>(Low | (U8() << 8));
}

std::uint32_t TFuzzInput::U32() {
    const std::uint32_t Low = U16();
    return Low | (static_cast<std::uint32_t>(U16()) << 16);
}

std::uint32_t TFuzzInput::Below(std::uint32_t ALimit) {
    if (ALimit <= 0x100) {
        return U8() % ALimit;
    }
    if (ALimit <= 0x10000) {
        return U16() % ALimit;
    }
    return U32() % ALimit;
}

std::span<const std::uint8_t> TFuzzInput::Bytes(std::size_t ACount) {
    const std::size_t Count = std::min(ACount, Left());
    std::span<const std::uint8_t> Result = FBytes.subspan(Empty() ? FBytes.size() : FPos, Count);
    FPos += Count;
    return Result;
}

std::u16string TFuzzInput::Text(std::size_t AMaxUnits) {
    const std::size_t Units = std::min<std::size_t>(U8(), AMaxUnits);
    std::u16string Result;
    for (std::size_t I = 0; I < Units && !Empty(); ++I) {
        Result.push_back(static_cast<char16_t>(U16()));
    }
    return Result;
}

void Fail(const char* AWhat, const char* AFile, int ALine) {
    std::fprintf(stderr, "\n==== broken: %s (%s:%d)\n", AWhat, AFile, ALine);
    std::fflush(stderr);
    std::abort();
}

TFuzzRoot::TFuzzRoot(const char* ATarget)
    : FPath(fs::temp_directory_path() /
            ("vanto-fuzz-" + std::string(ATarget) + "-" + std::to_string(::getpid()))),
      FFiles(FPath / "files") {
    Reset();
}

TFuzzRoot::~TFuzzRoot() {
    std::error_code Error;
    fs::remove_all(FPath, Error);
}

void TFuzzRoot::Reset() {
    std::error_code Error;
    fs::remove_all(FPath / "files", Error);
    fs::create_directories(FPath / "files", Error);
    for (const char16_t* Folder :
         {u"C:", u"C:\\Users", u"C:\\Users\\Ann", sim::TSimPlatform::DOCUMENTS,
          u"C:\\Program Files", sim::TSimPlatform::PROGRAM_FOLDER}) {
        FFiles.MakeFolder(Folder);
    }
}

void MakeFolders(platform::IFileSystem& AFiles, const std::u16string& AFolder) {
    for (std::size_t Pos = AFolder.find(u'\\'); Pos != std::u16string::npos;
         Pos = AFolder.find(u'\\', Pos + 1)) {
        if (Pos > 0) {
            AFiles.MakeFolder(AFolder.substr(0, Pos));
        }
    }
    AFiles.MakeFolder(AFolder);
}

std::uint32_t TMouseFeatureSink::HidFindAndSetFeatureReport(const THIDDataParam& ReportData) {
    const std::uint32_t Size = ReportData.Data.DATASIZE;
    VANTO_FUZZ_CHECK(Size <= 1 + sizeof(ReportData.Data.DATAReally),
                     "a feature report longer than its buffer");
    std::vector<std::uint8_t> Report(Size);
    if (Size > 0) {
        Report[0] = ReportData.Data.ReportID;
        std::copy_n(ReportData.Data.DATAReally, Size - 1, Report.begin() + 1);
    }
    return FMouse.OnSetFeature(Report);
}

bool NothingLeftPressed(const std::vector<sim::TSimInputEvent>& AEvents) {
    std::map<std::uint8_t, bool> Keys;
    std::map<std::uint32_t, bool> Buttons; // by the release flag
    const std::map<std::uint32_t, std::uint32_t> ReleaseOf = {
        {platform::MOUSE_LEFT_DOWN, platform::MOUSE_LEFT_UP},
        {platform::MOUSE_RIGHT_DOWN, platform::MOUSE_RIGHT_UP},
        {platform::MOUSE_MIDDLE_DOWN, platform::MOUSE_MIDDLE_UP}};
    for (const sim::TSimInputEvent& Event : AEvents) {
        if (Event.Kind == sim::TSimInputEvent::TKind::Key) {
            Keys[Event.VirtualKey] = !Event.Up;
            continue;
        }
        for (const auto& [Press, Release] : ReleaseOf) {
            if (Event.Flags & Press) {
                Buttons[Release] = true;
            }
            if (Event.Flags & Release) {
                Buttons[Release] = false;
            }
        }
    }
    for (const auto& [Key, Down] : Keys) {
        if (Down) {
            return false;
        }
    }
    for (const auto& [Button, Down] : Buttons) {
        if (Down) {
            return false;
        }
    }
    return true;
}

void CheckUploadLanded(const sim::TSimMouse& AMouse, int ABank) {
    VANTO_FUZZ_CHECK(AMouse.RejectedCount() == 0, "the mouse rejected a report of an upload");
    VANTO_FUZZ_CHECK(!AMouse.InUpload(), "an upload was left open");
    const auto Memory = AMouse.Memory();
    for (std::size_t Address = 0; Address < Memory.size(); ++Address) {
        const bool InBank = ABank >= 0 && ABank < static_cast<int>(DEVICE_BANK_COUNT) &&
                            Address / DEVICE_BANK_DISTANCE == static_cast<std::size_t>(ABank);
        VANTO_FUZZ_CHECK(InBank || Memory[Address] == 0, "an upload wrote outside its bank");
    }
    if (ABank < 0 || ABank >= static_cast<int>(DEVICE_BANK_COUNT)) {
        return;
    }
    // A macro button names one of the five slots and plays no more than a slot holds.
    const auto Table = AMouse.ButtonTable(static_cast<unsigned>(ABank));
    VANTO_FUZZ_CHECK(Table[0] <= BUTTON_COUNT, "the table claims more buttons than there are");
    for (std::size_t K = 0; K < Table[0]; ++K) {
        const std::uint8_t* Entry = &Table[1 + DEVICE_BUTTON_ENTRY_SIZE * K];
        if (Entry[0] == DEVICE_FUNCTION_MACRO) {
            VANTO_FUZZ_CHECK(Entry[1] < DEVICE_MACRO_SLOT_COUNT, "a macro button past the slots");
            VANTO_FUZZ_CHECK(static_cast<std::size_t>(Entry[2] | (Entry[3] << 8)) <=
                                 DEVICE_MACRO_BLOCK_SIZE,
                             "a macro button plays past its slot");
        }
    }
}

} // namespace vanto::fuzz
