#include "TextCommands.h"

#include "Json.h"
#include "ProfileTransfer.h"
#include "RecordJson.h"
#include "Usage.h"
#include "Utf8Text.h"
#include "VantoCtl.h"
#include "WholeFile.h"
#include "platform/Utf16.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace vanto::ctl {

namespace {

// Far beyond the text of any record (a profile prints as about 1 MB); a bigger file is not one.
constexpr std::uintmax_t LARGEST_TEXT_FILE = 64 * 1024 * 1024;
constexpr std::uintmax_t LARGEST_BASE_FILE = 1024 * 1024;

struct TTextOptions {
    std::vector<std::string_view> FPositional;
    std::optional<std::string_view> FOutput;
    std::optional<std::string_view> FBase;
    std::optional<std::string_view> FMachine;
    bool FForce = false;
};

int UsageError(std::ostream& AErr, std::string_view ACommand, std::string_view AProblem) {
    AErr << "vantoctl: " << AProblem << "\n";
    const std::string Usage = CommandUsage(ACommand).value_or("");
    AErr << Usage.substr(0, Usage.find('\n')) << "\n";
    return EXIT_USAGE;
}

// One line that names the file and the reason.
int FileError(std::ostream& AErr, std::string_view AFile, std::string_view AReason) {
    AErr << "vantoctl: " << AFile << ": " << AReason << "\n";
    return EXIT_FAILED;
}

// The problem with the command line, or nothing. AAllowed lists the options the command takes.
std::optional<std::string> ParseOptions(std::span<const std::string_view> AArgs,
                                        std::string_view AAllowed, TTextOptions& AOptions) {
    for (std::size_t I = 0; I < AArgs.size(); ++I) {
        const std::string_view Arg = AArgs[I];
        if (!Arg.starts_with("-") || Arg == "-") {
            AOptions.FPositional.push_back(Arg);
            continue;
        }
        if (AAllowed.find(std::string(Arg) + " ") == std::string_view::npos) {
            return "unknown option '" + std::string(Arg) + "'";
        }
        if (Arg == "--force") {
            AOptions.FForce = true;
            continue;
        }
        if (I + 1 >= AArgs.size()) {
            return "option '" + std::string(Arg) + "' needs a value";
        }
        std::optional<std::string_view>& Value = Arg == "-o"       ? AOptions.FOutput
                                                 : Arg == "--base" ? AOptions.FBase
                                                                   : AOptions.FMachine;
        if (Value) {
            return "option '" + std::string(Arg) + "' given twice";
        }
        Value = AArgs[++I];
    }
    return std::nullopt;
}

// The file as text, or the reason it cannot be read.
std::optional<std::string> ReadTextFile(std::string_view AFile, std::string& AReason) {
    const std::optional<std::vector<std::uint8_t>> Bytes =
        ReadWholeFile(AFile, AtMost(LARGEST_TEXT_FILE), AReason);
    return Bytes ? std::optional<std::string>(std::in_place, Bytes->begin(), Bytes->end())
                 : std::nullopt;
}

// Written beside the target first and put in place only when complete, so a failed write
// leaves what was there.
bool WriteFile(std::string_view AFile, std::string_view ABytes, std::string& AReason) {
    const std::filesystem::path Path = PathFromUtf8(AFile);
    std::filesystem::path Temporary = Path;
    Temporary += ".tmp";
    {
        std::ofstream Out(Temporary, std::ios::binary | std::ios::trunc);
        Out.write(ABytes.data(), static_cast<std::streamsize>(ABytes.size()));
        if (!Out.flush()) {
            AReason = "cannot write";
            Out.close();
            std::error_code Ignored;
            std::filesystem::remove(Temporary, Ignored);
            return false;
        }
    }
    std::error_code Error;
    std::filesystem::rename(Temporary, Path, Error);
    if (Error) {
        AReason = "cannot write: " + Error.message();
        std::filesystem::remove(Temporary, Error);
        return false;
    }
    return true;
}

int Emit(std::string_view ABytes, std::optional<std::string_view> AOutput, std::ostream& AOut,
         std::ostream& AErr) {
    if (!AOutput) {
        AOut.write(ABytes.data(), static_cast<std::streamsize>(ABytes.size()));
        return AOut.flush() ? EXIT_DONE : FileError(AErr, "standard output", "cannot write");
    }
    std::string Reason;
    return WriteFile(*AOutput, ABytes, Reason) ? EXIT_DONE : FileError(AErr, *AOutput, Reason);
}

std::optional<int> ParseProfileNumber(std::string_view AText) {
    if (AText.size() == 1 && AText[0] >= '1' && AText[0] <= '5') {
        return AText[0] - '0';
    }
    return std::nullopt;
}

// Export and import work on the simulated machine given, or on this one.
std::unique_ptr<TMachine> OpenMachine(const TTextOptions& AOptions) {
    if (AOptions.FMachine) {
        return OpenSimulatedMachine(PathFromUtf8(*AOptions.FMachine));
    }
    return OpenThisMachine();
}

std::optional<std::string> CheckMachineFolder(const TTextOptions& AOptions) {
    if (!AOptions.FMachine) {
        return OpenThisMachine() ? std::nullopt
                                 : std::optional<std::string>(
                                       "this system keeps no profiles: name a simulated machine "
                                       "with --machine DIR");
    }
    std::error_code Error;
    if (!std::filesystem::is_directory(PathFromUtf8(*AOptions.FMachine), Error)) {
        return "--machine: '" + std::string(*AOptions.FMachine) + "' is not a folder";
    }
    return std::nullopt;
}

} // namespace

int RunLoadCommand(std::span<const std::string_view> AArgs, std::ostream& AOut,
                   std::ostream& AErr) {
    TTextOptions Options;
    if (auto Problem = ParseOptions(AArgs, "-o --base ", Options)) {
        return UsageError(AErr, "load", *Problem);
    }
    if (Options.FPositional.size() != 1) {
        return UsageError(AErr, "load", "load takes one JSON file");
    }
    const std::string_view File = Options.FPositional[0];
    std::string Reason;
    const std::optional<std::string> Json = ReadTextFile(File, Reason);
    if (!Json) {
        return FileError(AErr, File, Reason);
    }
    std::vector<std::uint8_t> Base;
    if (Options.FBase) {
        const auto BaseSize = [](std::uintmax_t ASize) {
            const std::optional<std::string> Larger = AtMost(LARGEST_BASE_FILE)(ASize);
            return Larger ? Larger : NotARecordSize(ASize);
        };
        const std::optional<std::vector<std::uint8_t>> Bytes =
            ReadWholeFile(*Options.FBase, BaseSize, Reason);
        if (!Bytes) {
            return FileError(AErr, *Options.FBase, Reason);
        }
        Base = *Bytes;
    }
    std::vector<std::uint8_t> Record;
    try {
        Record = BuildRecordFromJson(*Json, Base);
    } catch (const std::exception& Error) {
        return FileError(AErr, File, Error.what());
    }
    return Emit({reinterpret_cast<const char*>(Record.data()), Record.size()}, Options.FOutput,
                AOut, AErr);
}

int RunExportCommand(std::span<const std::string_view> AArgs, std::ostream& AOut,
                     std::ostream& AErr) {
    TTextOptions Options;
    if (auto Problem = ParseOptions(AArgs, "-o --machine ", Options)) {
        return UsageError(AErr, "export", *Problem);
    }
    std::optional<int> Number;
    if (Options.FPositional.size() > 1 ||
        (Options.FPositional.size() == 1 &&
         !(Number = ParseProfileNumber(Options.FPositional[0])))) {
        return UsageError(AErr, "export", "export takes at most one game profile, 1 to 5");
    }
    if (auto Problem = CheckMachineFolder(Options)) {
        return UsageError(AErr, "export", *Problem);
    }
    std::string Json;
    try {
        const std::unique_ptr<TMachine> Machine = OpenMachine(Options);
        Json = ExportProfile(Machine->Services(), Number);
    } catch (const std::exception& Error) {
        return FileError(AErr, Options.FMachine.value_or("profiles"), Error.what());
    }
    return Emit(Json, Options.FOutput, AOut, AErr);
}

int RunImportCommand(std::span<const std::string_view> AArgs, std::ostream&, std::ostream& AErr) {
    TTextOptions Options;
    if (auto Problem = ParseOptions(AArgs, "--force --machine ", Options)) {
        return UsageError(AErr, "import", *Problem);
    }
    std::optional<int> Number;
    if (Options.FPositional.empty() || Options.FPositional.size() > 2 ||
        (Options.FPositional.size() == 2 &&
         !(Number = ParseProfileNumber(Options.FPositional[1])))) {
        return UsageError(AErr, "import",
                          "import takes a JSON file and at most one game profile, "
                          "1 to 5");
    }
    if (auto Problem = CheckMachineFolder(Options)) {
        return UsageError(AErr, "import", *Problem);
    }
    const std::string_view File = Options.FPositional[0];
    std::string Reason;
    const std::optional<std::string> Json = ReadTextFile(File, Reason);
    if (!Json) {
        return FileError(AErr, File, Reason);
    }
    TImportResult Result;
    try {
        // A refused text leaves even a machine folder that is not set up yet untouched.
        BuildRecordFromJson(*Json, {});
        const std::unique_ptr<TMachine> Machine = OpenMachine(Options);
        Result = ImportProfile(Machine->Services(), {*Json, Number, Options.FForce});
    } catch (const std::exception& Error) {
        return FileError(AErr, File, Error.what());
    }
    // A report for the person at the console; programs read nothing from import.
    AErr << "vantoctl: " << File << ": stored as game profile " << Result.FProfileNumber
         << (Result.FFile.empty() ? std::string() : " and in " + ToUtf8(Result.FFile))
         << (Result.FMonitorTold ? "; the monitor reloads it"
                                 : "; no monitor runs, it reads the profile when it starts")
         << "\n";
    return EXIT_DONE;
}

} // namespace vanto::ctl
