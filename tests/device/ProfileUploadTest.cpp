#include "device/ProfileUpload.h"

#include <gtest/gtest.h>

#include "UploadCommand.h"
#include "device/DeviceEncoding.h"
#include "macro/MacroSteps.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimWindowSystem.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vanto {
namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes ReportOf(const THIDDataParam& AReportData) {
    TBytes Report(AReportData.Data.DATASIZE);
    Report[0] = AReportData.Data.ReportID;
    std::copy_n(AReportData.Data.DATAReally, Report.size() - 1, Report.begin() + 1);
    return Report;
}

// What reached the mouse, in order, as short labels; the full reports beside them.
struct TEventLog {
    std::vector<std::string> FEvents;
    std::vector<TBytes> FReports;
};

std::string LabelOf(const TBytes& AReport) {
    if (AReport[1] == DEVICE_COMMAND_MODE) {
        return "mode " + std::to_string(AReport[2]);
    }
    return "write " + std::to_string(AReport[2] | AReport[3] << 8) + " " +
           std::to_string(AReport[4] | AReport[5] << 8);
}

class TLoggingTarget : public IFeatureReportTarget {
public:
    explicit TLoggingTarget(TEventLog& ALog) : FLog(ALog) {}
    std::uint32_t HidFindAndSetFeatureReport(const THIDDataParam& ReportData) override {
        TBytes Report = ReportOf(ReportData);
        FLog.FEvents.push_back(LabelOf(Report));
        FLog.FReports.push_back(Report);
        if (FOnSend) {
            FOnSend();
        }
        return FRefused == FLog.FEvents.back() ? platform::HID_ERROR_GEN_FAILURE : 0;
    }
    std::function<void()> FOnSend;
    std::string FRefused; // the label of a report the mouse does not take

private:
    TEventLog& FLog;
};

std::unique_ptr<TMouseProfileInfo> EmptyProfile() {
    return std::make_unique<TMouseProfileInfo>();
}

TBUTTONFUNCINFO& Button(TMouseProfileInfo& AProfile, std::size_t AIndex) {
    return AProfile.ConfigInfo.ButtonFuncInfo[AIndex];
}

TMACROKEYINFO StepsMacro(std::uint16_t AMacroIndex, std::int32_t ASteps) {
    TMACROKEYINFO Macro{};
    Macro.nMacroIndex = AMacroIndex;
    Macro.MacroListCount = ASteps;
    for (std::int32_t J = 0; J < ASteps; ++J) {
        Macro.MacroList[J] = KeyStep(0x41, false, J % 2 == 0);
    }
    return Macro;
}

void PutMacroOn(TMouseProfileInfo& AProfile, std::size_t AButton, const TMACROKEYINFO& AMacro) {
    Button(AProfile, AButton).nFunctionGroup = MACRO_GROUP;
    Button(AProfile, AButton).nDeviceFunction = DEVICE_FUNCTION_MACRO;
    Button(AProfile, AButton).MacroKeyInfo = AMacro;
}

void AddToList(TMouseProfileInfo& AProfile, const TMACROKEYINFO& AMacro) {
    TMACROKEYINFOLIST& List = AProfile.MacroKeyInfoList;
    List.MacroInfos[List.nMacroInfoCount++] = AMacro;
}

// Buttons 0 and 1 use a 5-step and a 12-step macro; the 5-step one is the profile's first.
std::unique_ptr<TMouseProfileInfo> TwoMacroProfile() {
    auto Profile = EmptyProfile();
    Profile->ConfigInfo.ButtonCount = 15;
    for (std::size_t K = 2; K < 15; ++K) {
        Button(*Profile, K).nDeviceFunction = 1;
    }
    PutMacroOn(*Profile, 0, StepsMacro(1, 5));
    PutMacroOn(*Profile, 1, StepsMacro(2, 12));
    AddToList(*Profile, StepsMacro(1, 5));
    AddToList(*Profile, StepsMacro(2, 12));
    return Profile;
}

class ProfileUploadTest : public ::testing::Test {
protected:
    sim::TSimClock FClock;
    sim::TSimWindowSystem FWindows{FClock};
    TEventLog FLog;
    TLoggingTarget FTarget{FLog};
    TProfileUploader FUploader{FTarget, FWindows};

    // The upload's later steps run from the message loop, as they do in the monitor.
    void Drain() {
        while (FUploader.IsUploading()) {
            FWindows.ProcessPendingMessages();
        }
    }
};

TEST_F(ProfileUploadTest, TwoMacroProfileGoesOutAsFiveReports) {
    auto Profile = TwoMacroProfile();
    FUploader.UploadProfileToDevice(*Profile, 0);
    Drain();
    EXPECT_EQ(FLog.FEvents, (std::vector<std::string>{"mode 0", "write 144 65", "write 209 15",
                                                      "write 593 36", "mode 1"}));
    ASSERT_EQ(FLog.FReports.size(), 5u);
    TBytes ModeZero(16, 0);
    ModeZero[0] = 2;
    ModeZero[1] = 6;
    TBytes ModeOne = ModeZero;
    ModeOne[2] = 1;
    EXPECT_EQ(FLog.FReports[0], ModeZero);
    EXPECT_EQ(FLog.FReports[4], ModeOne);

    const TBytes& Table = FLog.FReports[1];
    ASSERT_EQ(Table.size(), 1024u);
    EXPECT_EQ(TBytes(Table.begin(), Table.begin() + 8),
              (TBytes{4, 2, 0x90, 0x00, 0x41, 0x00, 0xFA, 0xFA}));
    TBytes Entries(Table.begin() + 8, Table.begin() + 8 + 65);
    TBytes ExpectedEntries(65, 0);
    ExpectedEntries[0] = 10;
    std::vector<TBytes> Rows{{17, 0, 15, 0}, {17, 1, 36, 0}, {1, 0, 0, 0}, {1, 0, 0, 0},
                             {1, 0, 0, 0},   {1, 0, 0, 0},   {1, 0, 0, 0}, {1, 0, 0, 0},
                             {1, 0, 0, 0},   {13, 0, 0, 0}};
    for (std::size_t K = 0; K < Rows.size(); ++K) {
        std::copy(Rows[K].begin(), Rows[K].end(), ExpectedEntries.begin() + 1 + 4 * K);
    }
    EXPECT_EQ(Entries, ExpectedEntries);
    EXPECT_TRUE(std::all_of(Table.begin() + 8 + 65, Table.end(), [](auto B) { return B == 0; }));

    const TBytes& First = FLog.FReports[2];
    ASSERT_EQ(First.size(), 64u);
    EXPECT_EQ(TBytes(First.begin(), First.begin() + 14),
              (TBytes{3, 2, 0xD1, 0x00, 15, 0, 0xFA, 0xFA, 0x84, 0x04, 0, 0x04, 0x04, 0}));
    EXPECT_EQ(FLog.FReports[3][0], 3);
    EXPECT_EQ(FLog.FReports[3].size(), 64u);
}

TEST_F(ProfileUploadTest, BankOneLiesAboveBankZero) {
    auto Profile = TwoMacroProfile();
    FUploader.UploadProfileToDevice(*Profile, 1);
    Drain();
    EXPECT_EQ(FLog.FEvents, (std::vector<std::string>{"mode 0", "write 2448 65", "write 2513 15",
                                                      "write 2897 36", "mode 1"}));
}

TEST_F(ProfileUploadTest, OnlyTheModeCommandsForAnotherBankOrAnEmptyFirstMacro) {
    const std::vector<std::string> ModesOnly{"mode 0", "mode 1"};
    auto Profile = TwoMacroProfile();
    for (int Bank : {2, 4, -1}) {
        FLog.FEvents.clear();
        FUploader.UploadProfileToDevice(*Profile, Bank);
        Drain();
        EXPECT_EQ(FLog.FEvents, ModesOnly) << Bank;
    }
    // The buttons still use macros; only the first macro of the list decides.
    for (std::int32_t Count : {0, -7}) {
        Profile->MacroKeyInfoList.MacroInfos[0].MacroListCount = Count;
        FLog.FEvents.clear();
        FUploader.UploadProfileToDevice(*Profile, 0);
        Drain();
        EXPECT_EQ(FLog.FEvents, ModesOnly) << Count;
    }
}

TEST_F(ProfileUploadTest, SendsButtonsFourFiveAndSevenEightExchangedAndLeavesTheProfileAlone) {
    auto Profile = TwoMacroProfile();
    for (std::size_t K = 2; K < 15; ++K) {
        Button(*Profile, K).nDeviceFunction = static_cast<std::int32_t>(K);
    }
    PutMacroOn(*Profile, 9, StepsMacro(6, 2)); // would be a third macro if it were sent
    AddToList(*Profile, StepsMacro(6, 2));
    auto Before = std::make_unique<TMouseProfileInfo>(*Profile);

    FUploader.UploadProfileToDevice(*Profile, 0);
    Drain();
    EXPECT_EQ(std::memcmp(Before.get(), Profile.get(), sizeof(TMouseProfileInfo)), 0);
    ASSERT_EQ(FLog.FEvents.size(), 5u); // still two macros: button 9 holds none
    const TBytes& Report = FLog.FReports[1];
    std::vector<int> Functions;
    for (std::size_t K = 0; K < 10; ++K) {
        Functions.push_back(Report[8 + 1 + 4 * K]);
    }
    EXPECT_EQ(Functions, (std::vector<int>{17, 17, 2, 3, 5, 4, 6, 8, 7, 13}));
    EXPECT_EQ(TBytes(Report.begin() + 8 + 37, Report.begin() + 8 + 41), (TBytes{13, 0, 0, 0}));
}

TEST_F(ProfileUploadTest, PausesRunQueuedMessagesAfterTheTableAndAfterTheMacros) {
    platform::TWindowHandle Window = 0;
    Window = FWindows.CreateHiddenWindow(u"T", u"", [&](auto AMsg, auto, auto) {
        FLog.FEvents.push_back("message " + std::to_string(AMsg));
        return platform::TMessageResult{0};
    });
    FWindows.Post(Window, 1, 0, 0);
    FTarget.FOnSend = [&] {
        if (FLog.FEvents.back() == "write 209 15") {
            FWindows.Post(Window, 2, 0, 0); // waits for the pause after the last macro
        }
    };
    auto Profile = TwoMacroProfile();
    FUploader.UploadProfileToDevice(*Profile, 0);
    Drain();
    EXPECT_EQ(FLog.FEvents,
              (std::vector<std::string>{"mode 0", "write 144 65", "message 1", "write 209 15",
                                        "write 593 36", "message 2", "mode 1"}));
}

TEST_F(ProfileUploadTest, UploadAskedForDuringAPauseRunsAfterTheFinalModeWithItsOwnProfile) {
    auto First = TwoMacroProfile();
    auto Second = TwoMacroProfile();
    Button(*Second, 0).MacroKeyInfo.MacroListCount = 3;
    Second->MacroKeyInfoList.MacroInfos[0].MacroListCount = 3;
    platform::TWindowHandle Window = FWindows.CreateHiddenWindow(u"T", u"", [&](auto, auto, auto) {
        FUploader.UploadProfileToDevice(*Second, 1);
        EXPECT_TRUE(FUploader.IsUploading());
        // The caller's profile may change once it has asked; the upload keeps what was asked.
        Second->MacroKeyInfoList.MacroInfos[0].MacroListCount = 0;
        return platform::TMessageResult{0};
    });
    FWindows.Post(Window, 1, 0, 0);
    FUploader.UploadProfileToDevice(*First, 0);
    Drain();
    EXPECT_FALSE(FUploader.IsUploading());
    EXPECT_EQ(FLog.FEvents,
              (std::vector<std::string>{"mode 0", "write 144 65", "write 209 15", "write 593 36",
                                        "mode 1", "mode 0", "write 2448 65", "write 2513 9",
                                        "write 2897 36", "mode 1"}));
}

TEST_F(ProfileUploadTest, UploadAskedForFromASendWaitsItsTurnToo) {
    auto Profile = TwoMacroProfile();
    int Asked = 0;
    FTarget.FOnSend = [&] {
        if (Asked < 2) {
            ++Asked;
            FUploader.UploadProfileToDevice(*Profile, Asked == 1 ? 2 : 1);
        }
    };
    FUploader.UploadProfileToDevice(*Profile, 0);
    Drain();
    EXPECT_EQ(FLog.FEvents,
              (std::vector<std::string>{"mode 0", "write 144 65", "write 209 15", "write 593 36",
                                        "mode 1", "mode 0", "mode 1", "mode 0", "write 2448 65",
                                        "write 2513 15", "write 2897 36", "mode 1"}));
}

TEST_F(ProfileUploadTest, AFailedReportEndsTheUploadAndItsBankGoesAgainLater) {
    auto Profile = TwoMacroProfile();
    FTarget.FRefused = "write 209 15";
    FUploader.UploadProfileToDevice(*Profile, 0);
    FUploader.UploadProfileToDevice(*Profile, 1); // asked meanwhile: still runs, whole
    Drain();
    // The second macro is not sent after the first failed, but the mouse leaves upload mode.
    EXPECT_EQ(FLog.FEvents, (std::vector<std::string>{"mode 0", "write 144 65", "write 209 15",
                                                      "mode 1", "mode 0", "write 2448 65",
                                                      "write 2513 15", "write 2897 36", "mode 1"}));
    EXPECT_TRUE(FUploader.HasFailedBanks());

    // A send that throws fails the same way, and ends the upload at once.
    FLog.FEvents.clear();
    FTarget.FRefused.clear();
    FTarget.FOnSend = [&] {
        if (FLog.FEvents.back() == "mode 0") {
            throw std::runtime_error("send failed");
        }
    };
    FUploader.UploadProfileToDevice(*Profile, 1);
    Drain();
    EXPECT_EQ(FLog.FEvents, (std::vector<std::string>{"mode 0", "mode 1"}));

    // Both banks go again, whole, and are then in order.
    FTarget.FOnSend = nullptr;
    FLog.FEvents.clear();
    FUploader.UploadFailedBanksAgain();
    Drain();
    EXPECT_EQ(FLog.FEvents,
              (std::vector<std::string>{"mode 0", "write 144 65", "write 209 15", "write 593 36",
                                        "mode 1", "mode 0", "write 2448 65", "write 2513 15",
                                        "write 2897 36", "mode 1"}));
    EXPECT_FALSE(FUploader.HasFailedBanks());
}

TEST_F(ProfileUploadTest, NineMacrosStillWriteTheTableAndStayInsideTheFiveSlots) {
    auto Profile = EmptyProfile();
    for (std::size_t K = 0; K < 10; ++K) {
        TMACROKEYINFO Macro = StepsMacro(static_cast<std::uint16_t>(10 + K), 128);
        Macro.nLoopCount = 3;
        Macro.MacroList[0] = {STEP_MOUSE_BUTTON, STEP_PRESS, static_cast<std::uint8_t>(K), 0};
        PutMacroOn(*Profile, K, Macro);
        AddToList(*Profile, Macro);
    }
    FUploader.UploadProfileToDevice(*Profile, 1);
    Drain();
    EXPECT_EQ(FLog.FEvents, (std::vector<std::string>{
                                "mode 0", "write 2448 65", "write 2513 384", "write 2897 384",
                                "write 3281 384", "write 3665 384", "write 4049 384", "mode 1"}));
    const TBytes& Table = FLog.FReports[1];
    auto EntryOf = [&](std::size_t AEntry) {
        return TBytes(Table.begin() + 9 + 4 * AEntry, Table.begin() + 13 + 4 * AEntry);
    };
    EXPECT_EQ(Table[8], 10);
    // After the exchanges the buttons bring macros 10, 11, 12, 13, 15, 14, 16, 18, 17.
    for (std::uint8_t Entry = 0; Entry < 5; ++Entry) {
        EXPECT_EQ(EntryOf(Entry), (TBytes{17, Entry, 0x80, 0x01})) << int{Entry};
    }
    for (std::size_t Entry = 5; Entry < 10; ++Entry) {
        EXPECT_EQ(EntryOf(Entry), (TBytes{13, 0, 0, 0})) << Entry;
    }
    // Slot 4 holds macro 15, the one entry 4 plays, and slot 3 macro 13.
    EXPECT_EQ(FLog.FReports[6][8 + 1], 5);
    EXPECT_EQ(FLog.FReports[5][8 + 1], 3);
}

// Hands the reports to the simulated mouse as a set-feature request would.
class TMouseTarget : public IFeatureReportTarget {
public:
    explicit TMouseTarget(sim::TSimMouse& AMouse) : FMouse(AMouse) {}
    std::uint32_t HidFindAndSetFeatureReport(const THIDDataParam& ReportData) override {
        return FMouse.OnSetFeature(ReportOf(ReportData));
    }

private:
    sim::TSimMouse& FMouse;
};

TEST(ProfileUploadToMouse, MouseTakesEveryReportIntoTheAddressedBank) {
    sim::TSimClock Clock;
    sim::TSimWindowSystem Windows(Clock);
    sim::TSimMouse Mouse;
    TMouseTarget Target(Mouse);
    TProfileUploader Uploader(Target, Windows);
    auto Profile = TwoMacroProfile();
    Profile->MacroKeyInfoList.MacroInfos[1].nLoopCount = 2;
    Uploader.UploadProfileToDevice(*Profile, 1);
    while (Uploader.IsUploading()) {
        Windows.ProcessPendingMessages();
    }

    EXPECT_EQ(Mouse.RejectedCount(), 0u);
    EXPECT_EQ(Mouse.CompletedUploads(), 1u);
    EXPECT_EQ(Mouse.ButtonTable(1), BuildButtonTable(*DeviceProfileOf(*Profile)));
    EXPECT_EQ(Mouse.ButtonTable(0), DeviceButtonTable{});
    auto Slot1 = Mouse.MacroSlot(1, 1);
    EXPECT_EQ(TBytes(Slot1.begin() + 36, Slot1.begin() + 40), (TBytes{7, 2, 0, 0}));
}

// --- vantoctl upload ---

struct TCtlRun {
    int FExit;
    std::string FOut;
    std::string FErr;
};

TCtlRun RunUpload(std::vector<std::string_view> AArgs) {
    std::ostringstream Out, Err;
    int Exit = ctl::RunUploadCommand(AArgs, Out, Err);
    return {Exit, Out.str(), Err.str()};
}

class VantoCtlUploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        FFolder = std::filesystem::temp_directory_path() /
                  ("vantoctl-upload-" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(FFolder);
        FProfileFile = (FFolder / "game.pfd").string();
        auto Profile = TwoMacroProfile();
        Write(FProfileFile, reinterpret_cast<const char*>(Profile.get()), sizeof(*Profile));
    }
    void TearDown() override { std::filesystem::remove_all(FFolder); }
    static void Write(const std::string& APath, const char* AData, std::size_t ASize) {
        std::ofstream(APath, std::ios::binary).write(AData, static_cast<std::streamsize>(ASize));
    }

    std::filesystem::path FFolder;
    std::string FProfileFile;
};

TEST_F(VantoCtlUploadTest, PrintsEveryReportAsOneHexLine) {
    TCtlRun Run = RunUpload({FProfileFile, "--bank", "1"});
    EXPECT_EQ(Run.FExit, 0);
    EXPECT_TRUE(Run.FErr.empty());
    std::istringstream Lines(Run.FOut);
    std::vector<std::string> Reports;
    for (std::string Line; std::getline(Lines, Line);) {
        Reports.push_back(Line);
    }
    ASSERT_EQ(Reports.size(), 5u);
    EXPECT_EQ(Reports[0], "0206" + std::string(28, '0'));
    EXPECT_EQ(Reports[1].size(), 2048u);
    EXPECT_EQ(Reports[1].substr(0, 22), "0402900941"
                                        "00fafa0a1100");
    EXPECT_EQ(Reports[2].substr(0, 24), "0302d1090f00fafa84040004");
    EXPECT_EQ(Reports[3].size(), 128u);
    EXPECT_EQ(Reports[4], "020601" + std::string(26, '0'));
}

TEST_F(VantoCtlUploadTest, DecodeShowsWhatTheMouseHoldsInTheBank) {
    TCtlRun Run = RunUpload({FProfileFile, "--decode", "--bank", "0"});
    EXPECT_EQ(Run.FExit, 0);
    EXPECT_NE(Run.FOut.find("bank 0\nbutton table: 10 entries\nentry 0: function 17, parameters "
                            "00 0f 00\nentry 1: function 17, parameters 01 24 00\n"),
              std::string::npos);
    EXPECT_NE(Run.FOut.find("entry 9: function 13, parameters 00 00 00\nslot 0: 5 steps\n"
                            "  step 0: press key 04 00\n  step 1: release key 04 00\n"),
              std::string::npos);
    EXPECT_NE(Run.FOut.find("slot 1: 12 steps\n"), std::string::npos);
    EXPECT_NE(Run.FOut.find("slot 2: empty\nslot 3: empty\nslot 4: empty\nrejected reports: 0\n"),
              std::string::npos);
}

TEST_F(VantoCtlUploadTest, RefusesABadCommandLineWithAUsageLineAndABadFileWithItsName) {
    std::string Short = (FFolder / "short.pfd").string();
    Write(Short, "abc", 3);
    std::string Missing = (FFolder / "missing.pfd").string();
    for (auto Args :
         std::vector<std::vector<std::string_view>>{{},
                                                    {FProfileFile},
                                                    {FProfileFile, "--bank"},
                                                    {FProfileFile, "--bank", "x"},
                                                    {FProfileFile, "--bank", "256"},
                                                    {FProfileFile, "--bank", "0", "--bank", "1"},
                                                    {FProfileFile, "--bank", "0", "--verbose"},
                                                    {FProfileFile, "--bank", "2", "--decode"},
                                                    {"--bank", "0", FProfileFile}}) {
        TCtlRun Run = RunUpload(Args);
        EXPECT_EQ(Run.FExit, 2);
        EXPECT_TRUE(Run.FOut.empty());
        EXPECT_EQ(std::count(Run.FErr.begin(), Run.FErr.end(), '\n'), 2);
        EXPECT_NE(Run.FErr.find("usage: vantoctl upload"), std::string::npos);
    }
    // A file that is no profile, or none at all, is a failure of the run: one line naming it.
    for (const std::string& File : {Short, Missing}) {
        TCtlRun Run = RunUpload({File, "--bank", "0"});
        EXPECT_EQ(Run.FExit, 1);
        EXPECT_TRUE(Run.FOut.empty());
        EXPECT_EQ(std::count(Run.FErr.begin(), Run.FErr.end(), '\n'), 1);
        EXPECT_NE(Run.FErr.find("vantoctl: " + File + ": "), std::string::npos);
    }
}

} // namespace
} // namespace vanto
