// Profiles as text: dump, load --base, export and import, checked as a user runs them.

#include "CtlRun.h"
#include "FactoryCommand.h"
#include "ProfileTransfer.h"
#include "RecordJson.h"
#include "StoredRecords.h"
#include "platform/sim/SimPlatform.h"
#include "profile/DM.h"
#include "shared/ConfigAppInterface.h"
#include "shared/pubunit_quorvin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>

namespace vanto::ctl {
namespace {

using test::RunCtl;
using test::TRun;
using testing::HasSubstr;

using TBytes = std::vector<std::uint8_t>;

std::filesystem::path FreshFolder(const char* AName) {
    const std::filesystem::path Folder =
        std::filesystem::temp_directory_path() /
        (std::string(AName) + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(Folder);
    return Folder;
}

void WriteBytes(const std::filesystem::path& APath, std::string_view ABytes) {
    std::ofstream(APath, std::ios::binary)
        .write(ABytes.data(), static_cast<std::streamsize>(ABytes.size()));
}

std::string ReadBytes(const std::filesystem::path& APath) {
    std::ifstream In(APath, std::ios::binary);
    std::ostringstream Bytes;
    Bytes << In.rdbuf();
    return Bytes.str();
}

// Every file below AFolder with its bytes, to tell that nothing changed.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& AFolder) {
    std::map<std::string, std::string> Files;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(AFolder)) {
        Files[Entry.path().string()] = Entry.is_regular_file() ? ReadBytes(Entry.path()) : "/";
    }
    return Files;
}

// The records every seed of the stored-records corpus leaves on a machine, whatever their size.
std::vector<TBytes> CorpusRecords() {
    std::vector<TBytes> Records;
    for (const auto& Seed :
         std::filesystem::directory_iterator(VANTO_FUZZ_CORPUS "/stored_records")) {
        const std::string Input = ReadBytes(Seed.path());
        const std::filesystem::path Machine = FreshFolder("vanto-corpus-");
        {
            sim::TSimRegistry Registry(Machine / "registry");
            sim::TSimFileSystem Files(Machine / "files");
            fuzz::TFuzzInput Fuzz(reinterpret_cast<const std::uint8_t*>(Input.data()),
                                  Input.size());
            fuzz::StoreRecords(Fuzz, Registry, Files);
        }
        for (const auto& Entry : std::filesystem::recursive_directory_iterator(Machine)) {
            if (Entry.is_regular_file()) {
                const std::string Bytes = ReadBytes(Entry.path());
                Records.emplace_back(Bytes.begin(), Bytes.end());
            }
        }
        std::filesystem::remove_all(Machine);
    }
    return Records;
}

// dump, then load --base of the same record, gives back the same bytes: for every factory record
// and every well-formed record of the corpus (records the corpus damaged on purpose, with counts
// or texts out of range, are refused instead, and must say where).
TEST(TextRecordTest, DumpThenLoadOnTheSameBaseGivesBackEveryByte) {
    const TFactoryOptions Options{u"C:\\Users\\Ann\\Documents", 0x0409, 45000.25};
    std::vector<TBytes> Records;
    for (const char* Kind : {"game", "test", "group", "settings"}) {
        Records.push_back(*BuildFactoryRecord(Kind, Options));
    }
    const std::size_t FactoryCount = Records.size();
    for (TBytes& Record : CorpusRecords()) {
        if (!RecordKindOfSize(Record.size()).empty()) {
            Records.push_back(std::move(Record));
        }
    }
    std::size_t RoundTrips = 0;
    for (std::size_t I = 0; I < Records.size(); ++I) {
        std::ostringstream Json;
        ASSERT_TRUE(PrintRecordAsJson(Records[I], Json));
        try {
            EXPECT_EQ(BuildRecordFromJson(Json.str(), Records[I]), Records[I]) << "record " << I;
            ++RoundTrips;
        } catch (const ERecordRefused& Refused) {
            EXPECT_GE(I, FactoryCount) << Refused.what();
            EXPECT_THAT(Refused.what(), testing::ContainsRegex("^\\w+.*: "));
        }
    }
    // The corpus stores many records of each kind; most of them are whole.
    EXPECT_GE(RoundTrips, FactoryCount + 20);

    // Without a base the bytes the text does not carry are zero.
    TBytes Game = Records[0];
    auto* Profile = reinterpret_cast<TMouseProfileInfo*>(Game.data());
    Profile->ConfigInfo.ButtonFuncInfo[2].Reserved928[5] = 0x5A;
    std::ostringstream Json;
    PrintRecordAsJson(Game, Json);
    EXPECT_EQ(
        BuildRecordFromJson(
            Json.str(),
            {})[offsetof(TMouseProfileInfo, ConfigInfo) + 2 * sizeof(TBUTTONFUNCINFO) + 928 + 5],
        0);
    EXPECT_EQ(BuildRecordFromJson(Json.str(), Game), Game);
}

class TextMachineTest : public testing::Test {
protected:
    // A machine the monitor has started on once, kept where vanto-sim --keep keeps it.
    void SetUp() override {
        FFolder = FreshFolder("vanto-text-");
        FScratch = FreshFolder("vanto-text-scratch-");
        sim::TSimPlatform Sim(FFolder);
        TDM DM(Sim.FRegistry, Sim.FFiles, Sim.FShell, Sim.FIni, Sim.FLocale, Sim.FClock);
        DM.DataModuleCreate();
    }
    void TearDown() override {
        std::filesystem::remove_all(FFolder);
        std::filesystem::remove_all(FScratch);
    }

    std::filesystem::path ProfileFile(int ANumber) const {
        return FFolder / "files/C/Users/Ann/Documents/Vanto Gaming Mouse" /
               ("VantoProfile" + std::to_string(ANumber) + ".pfd");
    }
    std::filesystem::path ProfileValue(int ANumber) const {
        return FFolder / "registry/software/VantoGamingMouse" /
               ("VantoProfile" + std::to_string(ANumber) + ".pfd.REG_BINARY");
    }
    TRun Ctl(std::vector<std::string> AArgs) {
        AArgs.push_back("--machine");
        AArgs.push_back(FFolder.string());
        std::vector<std::string_view> Views(AArgs.begin(), AArgs.end());
        return RunCtl(Views);
    }

    std::filesystem::path FFolder;
    std::filesystem::path FScratch; // files of the user's, outside the machine
};

// Export, change a button in the text, import: stored in the registry value and, as the group
// keeps it in a file, in the file too; the bytes the text does not carry stay the profile's.
TEST_F(TextMachineTest, AnExportedProfileChangedAndImportedKeepsWhatTheTextDoesNotCarry) {
    std::string Stored = ReadBytes(ProfileFile(2));
    Stored[offsetof(TMouseProfileInfo, FunctionList) + 17] = 0x42; // not interpreted
    WriteBytes(ProfileFile(2), Stored);

    const TRun Export = Ctl({"export", "2"});
    ASSERT_EQ(Export.FExit, EXIT_DONE) << Export.FErr;
    EXPECT_TRUE(Export.FErr.empty());
    std::string Json = Export.FOut;
    const std::size_t Key = Json.find("\"nSingleKeyValue\": 162");
    ASSERT_NE(Key, std::string::npos);
    Json.replace(Key, 22, "\"nSingleKeyValue\": 65");
    WriteBytes(FFolder / "edited.json", Json);

    const TRun Import = Ctl({"import", (FFolder / "edited.json").string(), "2"});
    ASSERT_EQ(Import.FExit, EXIT_DONE) << Import.FErr;
    EXPECT_TRUE(Import.FOut.empty());
    EXPECT_THAT(Import.FErr, HasSubstr("stored as game profile 2 and in C:\\Users\\Ann"));

    const std::string File = ReadBytes(ProfileFile(2));
    EXPECT_EQ(ReadBytes(ProfileValue(2)), File);
    auto Profile = std::make_unique<TMouseProfileInfo>();
    ASSERT_EQ(File.size(), sizeof(TMouseProfileInfo));
    std::memcpy(Profile.get(), File.data(), File.size());
    EXPECT_EQ(Profile->ConfigInfo.ButtonFuncInfo[3].nSingleKeyValue, 65);
    EXPECT_EQ(File[offsetof(TMouseProfileInfo, FunctionList) + 17], 0x42);
    // Profile 1 is untouched, and a second export prints the text imported.
    EXPECT_FALSE(std::filesystem::exists(ProfileValue(1)));
    EXPECT_EQ(Ctl({"export", "2"}).FOut, Json);
}

std::string GroupText() {
    const std::filesystem::path Group = FreshFolder("vanto-group-") / "group.pfd";
    RunCtl({"factory", "group", "-o", Group.string()});
    const std::string Json = RunCtl({"dump", Group.string()}).FOut;
    std::filesystem::remove_all(Group.parent_path());
    return Json;
}

// A refused text, a file that cannot be read, or the configuration application running: exit 1,
// one line naming the file and the reason, and nothing on disk changes.
TEST_F(TextMachineTest, RefusalsNameThePlaceAndChangeNothingOnDisk) {
    const std::string Good = Ctl({"export"}).FOut;
    const auto Edited = [&](std::string_view AFrom, std::string_view ATo) {
        std::string Json = Good;
        const std::size_t At = Json.find(AFrom);
        EXPECT_NE(At, std::string::npos) << AFrom;
        return Json.replace(At, AFrom.size(), ATo);
    };
    const std::string LongName(50, 'x');
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {Edited("\"ButtonCount\": 7", "\"ButtonCount\": 16"),
         "ConfigInfo.ButtonCount: 16 is out of range 0..15"},
        {Edited("\"MacroListCount\": 7", "\"MacroListCount\": 129"),
         "ConfigInfo.ButtonFuncInfo[6].MacroKeyInfo.MacroListCount: 129 is out of range 0..128"},
        {Edited("\"MacroListCount\": 7", "\"MacroListCount\": 6"),
         "MacroKeyInfo.MacroListCount: 6 does not match the 7 steps of MacroList"},
        {Edited("\"nMacroInfoCount\": 1", "\"nMacroInfoCount\": 22"),
         "MacroKeyInfoList.nMacroInfoCount: 22 is out of range 0..21"},
        {Edited("\"szMacroName\": \"User Recorded\"", "\"szMacroName\": \"" + LongName + "\""),
         "szMacroName: text of 50 UTF-16 units is longer than its field, which holds at most 49"},
        {Edited("\"nKeyType\": ", "\"nKeyType\": -"), "MacroList[0].nKeyType: -"},
        {Edited("\"R\": 0", "\"R\": 256"), "ConfigInfo.LEDConfig.R: 256 is out of range 0..255"},
        {Edited("\"Nologo\": 0", "\"Nologo\": 0, \"Logo\": 1"), "OtherConfig.Logo: no such field"},
        {Edited("\"ReportRate\": 500,", ""), "ConfigInfo.ReportRate: missing"},
        {Edited("\"VWheelType\": 0", "\"VWheelType\": 1.5"), "1.5 is not a whole number"},
        {Good.substr(0, Good.find("\"ConfigInfo\"")), "expected a member name"},
        {GroupText(), "not a game profile"},
    };
    const auto Before = Snapshot(FFolder);
    for (const auto& [Json, Reason] : Cases) {
        WriteBytes(FScratch / "bad.json", Json);
        const std::string Bad = (FScratch / "bad.json").string();
        const TRun Import = Ctl({"import", Bad});
        EXPECT_EQ(Import.FExit, EXIT_FAILED) << Reason;
        EXPECT_THAT(Import.FErr, HasSubstr(Bad + ": ")) << Reason;
        EXPECT_THAT(Import.FErr, HasSubstr(Reason));
        EXPECT_EQ(std::count(Import.FErr.begin(), Import.FErr.end(), '\n'), 1) << Import.FErr;
        if (Reason == "not a game profile") {
            continue; // a whole setting group, which load takes
        }
        // load refuses it the same way and writes no output.
        const TRun Load = RunCtl({"load", Bad, "-o", (FScratch / "out.pfd").string()});
        EXPECT_EQ(Load.FExit, EXIT_FAILED) << Reason;
        EXPECT_FALSE(std::filesystem::exists(FScratch / "out.pfd"));
    }

    const TRun Missing = Ctl({"import", (FFolder / "none.json").string()});
    EXPECT_EQ(Missing.FExit, EXIT_FAILED);
    EXPECT_THAT(Missing.FErr, HasSubstr("none.json: cannot read"));
    EXPECT_EQ(Snapshot(FFolder), Before);

    // While the configuration application runs, only --force imports.
    sim::TSimPlatform Sim(FFolder);
    Sim.FWindows.CreateHiddenWindow(CONFIG_APP_WINDOW_CLASS, u"",
                                    [](auto, auto, auto) { return platform::TMessageResult{0}; });
    const TProfileServices Services{Sim.FRegistry, Sim.FFiles, Sim.FShell,  Sim.FIni,
                                    Sim.FLocale,   Sim.FClock, Sim.FWindows};
    const std::string Changed = Edited("\"ButtonCount\": 7", "\"ButtonCount\": 9");
    EXPECT_THROW(
        {
            try {
                ImportProfile(Services, {Changed, 1, false});
            } catch (const ETransferError& Error) {
                EXPECT_THAT(Error.what(), HasSubstr("the configuration application is running"));
                throw;
            }
        },
        ETransferError);
    EXPECT_EQ(Snapshot(FFolder), Before);
    EXPECT_EQ(ImportProfile(Services, {Changed, 1, true}).FProfileNumber, 1);
    EXPECT_NE(Snapshot(FFolder), Before);
}

// The conventions of a command-line tool: help on stdout with status 0, a version, usage errors
// with status 2 on stderr.
TEST(TextConventionsTest, HelpAndVersionGoToStandardOutput) {
    for (const char* Help : {"-h", "--help"}) {
        const TRun Run = RunCtl({Help});
        EXPECT_EQ(Run.FExit, EXIT_DONE);
        EXPECT_THAT(Run.FOut, HasSubstr("load FILE.json [-o OUT] [--base RECORD]"));
        EXPECT_TRUE(Run.FErr.empty());
    }
    const TRun Upload = RunCtl({"upload", "--help"});
    EXPECT_EQ(Upload.FExit, EXIT_DONE);
    EXPECT_THAT(Upload.FOut, HasSubstr("usage: vantoctl upload FILE.pfd --bank N [--decode]"));
    EXPECT_THAT(Upload.FOut, HasSubstr("Example:\n  vantoctl upload "));
    EXPECT_THAT(RunCtl({"--version"}).FOut,
                testing::MatchesRegex("vantoctl \\w+\\.\\w\\w\\.\\w\\w\n"));
    const TRun Wrong = RunCtl({"load"});
    EXPECT_EQ(Wrong.FExit, EXIT_USAGE);
    EXPECT_TRUE(Wrong.FOut.empty());
    EXPECT_THAT(Wrong.FErr, HasSubstr("usage: vantoctl load"));
}

} // namespace
} // namespace vanto::ctl
