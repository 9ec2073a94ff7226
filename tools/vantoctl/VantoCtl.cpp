#include "VantoCtl.h"

#include "FactoryCommand.h"
#include "LanguageCommands.h"
#include "RecordJson.h"
#include "TextCommands.h"
#include "UploadCommand.h"
#include "Usage.h"
#include "Utf8Text.h"
#include "WholeFile.h"
#include "keys/KeyLookupFormat.h"
#include "macro/MacroDescription.h"
#include "shared/ButtonReports.h"
#include "shared/RecordLayout.h"
#include "shared/pubunit_quorvin.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

namespace vanto::ctl {

namespace {

constexpr std::string_view USAGE =
    "usage: vantoctl COMMAND [ARGUMENTS]; vantoctl --help lists them";

int UsageError(std::ostream& AErr, std::string_view AProblem) {
    AErr << "vantoctl: " << AProblem << "\n" << USAGE << "\n";
    return EXIT_USAGE;
}

// A file that cannot be read or written, or a record refused: one line naming the file.
int FileError(std::ostream& AErr, std::string_view AFile, std::string_view AReason) {
    AErr << "vantoctl: " << AFile << ": " << AReason << "\n";
    return EXIT_FAILED;
}

int PrintLayout(std::span<const std::string_view> AArgs, std::ostream& AOut, std::ostream& AErr) {
    if (!AArgs.empty()) {
        return UsageError(AErr, "layout takes no arguments");
    }
    for (const TRecordLayout& Record : RecordLayouts()) {
        AOut << Record.FName << " " << Record.FSize << "\n";
        for (const TFieldLayout& Field : Record.FFields) {
            AOut << Record.FName << "." << Field.FName << " " << Field.FOffset << " " << Field.FSize
                 << "\n";
        }
    }
    return EXIT_DONE;
}

// A number in decimal, or in hex with 0x, up to AMax.
std::optional<unsigned> ParseNumber(std::string_view AText, unsigned AMax) {
    int Base = 10;
    if (AText.starts_with("0x") || AText.starts_with("0X")) {
        AText.remove_prefix(2);
        Base = 16;
    }
    unsigned Value = 0;
    auto [End, Error] = std::from_chars(AText.data(), AText.data() + AText.size(), Value, Base);
    if (AText.empty() || Error != std::errc{} || End != AText.data() + AText.size() ||
        Value > AMax) {
        return std::nullopt;
    }
    return Value;
}

std::optional<std::uint8_t> ParseReportID(std::string_view AText) {
    auto Value = ParseNumber(AText, 255);
    return Value ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(*Value)) : std::nullopt;
}

// One argument of payload: "7", "07" or a run of hex pairs such as "000400".
bool AppendHexBytes(std::string_view AText, std::vector<std::uint8_t>& ABytes) {
    if (AText.starts_with("0x") || AText.starts_with("0X")) {
        AText.remove_prefix(2);
    }
    if (AText.empty() || (AText.size() > 2 && AText.size() % 2 != 0)) {
        return false;
    }
    std::size_t Step = AText.size() == 1 ? 1 : 2;
    for (std::size_t Pos = 0; Pos < AText.size(); Pos += Step) {
        unsigned Value = 0;
        const char* First = AText.data() + Pos;
        auto [End, Error] = std::from_chars(First, First + Step, Value, 16);
        if (Error != std::errc{} || End != First + Step) {
            return false;
        }
        ABytes.push_back(static_cast<std::uint8_t>(Value));
    }
    return true;
}

int DecodeReport(std::span<const std::string_view> AArgs, std::ostream& AOut, std::ostream& AErr) {
    if (AArgs.empty()) {
        return UsageError(AErr, "decode-report needs a report ID");
    }
    auto ReportID = ParseReportID(AArgs[0]);
    if (!ReportID) {
        return UsageError(AErr, "report ID must be a number from 0 to 255");
    }
    std::vector<std::uint8_t> Payload;
    for (std::string_view Arg : AArgs.subspan(1)) {
        if (!AppendHexBytes(Arg, Payload)) {
            return UsageError(AErr, "payload bytes must be hex, such as 00 04 or 0004");
        }
    }
    if (Payload.size() > UINT16_MAX) {
        return UsageError(AErr, "payload too long");
    }
    auto Event =
        DecodeInputReport(*ReportID, Payload.data(), static_cast<std::uint16_t>(Payload.size()));
    if (!Event) {
        AOut << "ignored\n";
    } else {
        AOut << "WM_BUTTON_EVENT wParam=" << Event->FWParam << " lParam=" << Event->FLParam << "\n";
    }
    return EXIT_DONE;
}

int DumpRecord(std::span<const std::string_view> AArgs, std::ostream& AOut, std::ostream& AErr) {
    if (AArgs.size() != 1) {
        return UsageError(AErr, "dump takes one file");
    }
    // Told apart by size; anything else is not a record, and is not read at all.
    std::string Reason;
    const std::optional<std::vector<std::uint8_t>> Bytes =
        ReadWholeFile(AArgs[0], NotARecordSize, Reason);
    if (!Bytes) {
        return FileError(AErr, AArgs[0], Reason);
    }
    PrintRecordAsJson(*Bytes, AOut);
    return EXIT_DONE;
}

int LookUpKey(std::span<const std::string_view> AArgs, std::ostream& AOut, std::ostream& AErr) {
    if (AArgs.size() != 2) {
        return UsageError(AErr, "key takes a virtual-key code and an extended flag");
    }
    auto VirtualKey = ParseNumber(AArgs[0], 0xFFFF);
    auto Extended = ParseNumber(AArgs[1], 0xFFFF);
    if (!VirtualKey || !Extended) {
        return UsageError(AErr, "VK and EXT must be numbers from 0 to 65535");
    }
    AOut << FormatKeyLookup(static_cast<std::uint16_t>(*VirtualKey),
                            static_cast<std::uint16_t>(*Extended))
         << "\n";
    return EXIT_DONE;
}

// The Documents folder a first run on this machine would use, for the setting group's paths.
std::u16string DefaultDocumentsFolder() {
    if (const char* Profile = std::getenv("USERPROFILE")) {
        return std::filesystem::path(Profile).u16string() + u"\\Documents";
    }
    const char* User = std::getenv("USER");
    return u"C:\\Users\\" + std::filesystem::path(User ? User : "User").u16string() +
           u"\\Documents";
}

int WriteFactory(std::span<const std::string_view> AArgs, std::ostream& AOut, std::ostream& AErr) {
    if (AArgs.empty()) {
        return UsageError(AErr, "factory needs a kind: game, test, group or settings");
    }
    TFactoryOptions Options{DefaultDocumentsFolder(), 0x0409, LocalDateTimeNow()};
    std::optional<std::string_view> OutputFile;
    for (std::size_t I = 1; I < AArgs.size(); I += 2) {
        if (I + 1 >= AArgs.size()) {
            return UsageError(AErr, "option '" + std::string(AArgs[I]) + "' needs a value");
        }
        if (AArgs[I] == "-o") {
            OutputFile = AArgs[I + 1];
        } else if (AArgs[I] == "--lang") {
            auto LangID = ParseNumber(AArgs[I + 1], 0xFFFF);
            if (!LangID) {
                return UsageError(AErr, "--lang takes a language identifier such as 0x0409");
            }
            Options.FSystemLangID = static_cast<std::uint16_t>(*LangID);
        } else if (AArgs[I] == "--documents") {
            Options.FDocumentsFolder = PathFromUtf8(AArgs[I + 1]).u16string();
        } else {
            return UsageError(AErr, "unknown option '" + std::string(AArgs[I]) + "'");
        }
    }
    auto Bytes = BuildFactoryRecord(AArgs[0], Options);
    if (!Bytes) {
        return UsageError(AErr, "unknown kind '" + std::string(AArgs[0]) + "'");
    }
    if (!OutputFile) {
        AOut.write(reinterpret_cast<const char*>(Bytes->data()),
                   static_cast<std::streamsize>(Bytes->size()));
        return AOut ? EXIT_DONE : EXIT_FAILED;
    }
    std::ofstream Out(PathFromUtf8(*OutputFile), std::ios::binary | std::ios::trunc);
    Out.write(reinterpret_cast<const char*>(Bytes->data()),
              static_cast<std::streamsize>(Bytes->size()));
    if (!Out.flush()) {
        return FileError(AErr, *OutputFile, "cannot write");
    }
    return EXIT_DONE;
}

int DescribeMacroFile(std::span<const std::string_view> AArgs, std::ostream& AOut,
                      std::ostream& AErr) {
    if (AArgs.size() != 1) {
        return UsageError(AErr, "macro takes one file");
    }
    // A macro file is one raw record; a shorter one loads as far as it goes, as the monitor does.
    const auto MacroSize = [](std::uintmax_t ASize) -> std::optional<std::string> {
        if (ASize > sizeof(TMACROKEYINFO)) {
            return "not a macro file of at most " + std::to_string(sizeof(TMACROKEYINFO)) +
                   " bytes";
        }
        return std::nullopt;
    };
    std::string Reason;
    const std::optional<std::vector<std::uint8_t>> Bytes =
        ReadWholeFile(AArgs[0], MacroSize, Reason);
    if (!Bytes) {
        return FileError(AErr, AArgs[0], Reason);
    }
    auto Macro = std::make_unique<TMACROKEYINFO>();
    std::memcpy(Macro.get(), Bytes->data(), Bytes->size());
    AOut << DescribeMacro(*Macro);
    return EXIT_DONE;
}

} // namespace

int RunVantoCtl(std::span<const std::string_view> AArgs, std::ostream& AOut, std::ostream& AErr) {
    if (AArgs.empty()) {
        return UsageError(AErr, "no command");
    }
    std::string_view Command = AArgs[0];
    auto Rest = AArgs.subspan(1);
    if (Command == "-h" || Command == "--help") {
        AOut << ProgramUsage();
        return EXIT_DONE;
    }
    if (Command == "--version") {
        AOut << "vantoctl " << VersionText() << "\n";
        return EXIT_DONE;
    }
    const auto AsksForHelp = [](std::string_view AArg) { return AArg == "-h" || AArg == "--help"; };
    if (std::ranges::any_of(Rest, AsksForHelp)) {
        if (const std::optional<std::string> Usage = CommandUsage(Command)) {
            AOut << *Usage;
            return EXIT_DONE;
        }
    }
    if (Command == "load") {
        return RunLoadCommand(Rest, AOut, AErr);
    }
    if (Command == "export") {
        return RunExportCommand(Rest, AOut, AErr);
    }
    if (Command == "import") {
        return RunImportCommand(Rest, AOut, AErr);
    }
    if (Command == "layout") {
        return PrintLayout(Rest, AOut, AErr);
    }
    if (Command == "decode-report") {
        return DecodeReport(Rest, AOut, AErr);
    }
    if (Command == "upload") {
        return RunUploadCommand(Rest, AOut, AErr);
    }
    if (Command == "factory") {
        return WriteFactory(Rest, AOut, AErr);
    }
    if (Command == "macro") {
        return DescribeMacroFile(Rest, AOut, AErr);
    }
    if (Command == "key") {
        return LookUpKey(Rest, AOut, AErr);
    }
    if (Command == "dump") {
        return DumpRecord(Rest, AOut, AErr);
    }
    if (Command == "translate") {
        return RunTranslateCommand(Rest, AOut, AErr);
    }
    if (Command == "table") {
        return RunTableCommand(Rest, AOut, AErr);
    }
    return UsageError(AErr, "unknown command '" + std::string(Command) + "'");
}

} // namespace vanto::ctl
