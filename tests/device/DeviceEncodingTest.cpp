#include "device/DeviceEncoding.h"

#include <gtest/gtest.h>

#include "macro/MacroSteps.h"
#include "platform/Hid.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace vanto {
namespace {

using TBytes = std::vector<std::uint8_t>;

class TRecordingTarget : public IFeatureReportTarget {
public:
    std::uint32_t HidFindAndSetFeatureReport(const THIDDataParam& ReportData) override {
        EXPECT_EQ(ReportData.UsageAndPage, VANTO_MOUSE_COLLECTION);
        EXPECT_TRUE(ReportData.DeviceID.empty());
        TBytes Report(ReportData.Data.DATASIZE);
        Report[0] = ReportData.Data.ReportID;
        std::copy_n(ReportData.Data.DATAReally, Report.size() - 1, Report.begin() + 1);
        // Nothing may be left behind the report's end.
        EXPECT_EQ(ReportData.Data.DATAReally[ReportData.Data.DATASIZE - 1], 0);
        FReports.push_back(Report);
        return 0;
    }
    std::vector<TBytes> FReports;
};

std::unique_ptr<TMouseProfileInfo> EmptyProfile() {
    return std::make_unique<TMouseProfileInfo>();
}

TBUTTONFUNCINFO& Button(TMouseProfileInfo& AProfile, std::size_t AIndex) {
    return AProfile.ConfigInfo.ButtonFuncInfo[AIndex];
}

void GiveMacro(TBUTTONFUNCINFO& AButton, std::uint16_t AMacroIndex, std::int32_t ASteps = 1,
               std::uint16_t ALoops = 0) {
    AButton.nFunctionGroup = MACRO_GROUP;
    AButton.nDeviceFunction = DEVICE_FUNCTION_MACRO;
    AButton.MacroKeyInfo.nMacroIndex = AMacroIndex;
    AButton.MacroKeyInfo.MacroListCount = ASteps;
    AButton.MacroKeyInfo.nLoopCount = ALoops;
}

TMACROKEYINFO& AddListMacro(TMouseProfileInfo& AProfile, std::uint16_t AMacroIndex,
                            std::int32_t ASteps, std::uint8_t AFill) {
    TMACROKEYINFOLIST& List = AProfile.MacroKeyInfoList;
    TMACROKEYINFO& Macro = List.MacroInfos[List.nMacroInfoCount++];
    Macro.nMacroIndex = AMacroIndex;
    Macro.MacroListCount = ASteps;
    for (std::int32_t J = 0; J < ASteps && J < 128; ++J) {
        Macro.MacroList[J] = {STEP_MOUSE_BUTTON, STEP_PRESS, AFill, static_cast<std::uint8_t>(J)};
    }
    return Macro;
}

TBytes Entry(const DeviceButtonTable& ATable, std::size_t AIndex) {
    return TBytes(ATable.begin() + 1 + 4 * AIndex, ATable.begin() + 5 + 4 * AIndex);
}

TEST(EncodeMacroStep, DelaysBecomeTensOfMillisecondsRoundedHalfToEvenAndNeverZero) {
    struct TCase {
        std::uint16_t FMs;
        std::uint16_t FUnits;
    };
    for (TCase Case : {TCase{0, 1}, TCase{5, 1}, TCase{14, 1}, TCase{15, 2}, TCase{25, 2},
                       TCase{35, 4}, TCase{36, 4}, TCase{1000, 100}, TCase{65535, 6554}}) {
        TDeviceStep Step = EncodeMacroStep(STEP_DELAY, 0, static_cast<std::uint8_t>(Case.FMs),
                                           static_cast<std::uint8_t>(Case.FMs >> 8));
        EXPECT_EQ(Step, (TDeviceStep{6, static_cast<std::uint8_t>(Case.FUnits),
                                     static_cast<std::uint8_t>(Case.FUnits >> 8)}))
            << Case.FMs << " ms";
    }
}

TEST(EncodeMacroStep, StateSetsTheTopBitAndAnUnknownStateSendsNothing) {
    EXPECT_EQ(EncodeMacroStep(STEP_MOUSE_BUTTON, STEP_PRESS, 0x01, 0x01),
              (TDeviceStep{0x81, 1, 1}));
    EXPECT_EQ(EncodeMacroStep(STEP_MOUSE_BUTTON, STEP_RELEASE, 0x02, 0x02), (TDeviceStep{1, 2, 2}));
    EXPECT_EQ(EncodeMacroStep(STEP_WHEEL, 0, 255, 7), (TDeviceStep{3, 255, 7}));
    EXPECT_EQ(EncodeMacroStep(STEP_LOOP, 0, 0x34, 0x12), (TDeviceStep{7, 0x34, 0x12}));
    EXPECT_EQ(EncodeMacroStep(STEP_KEY, 2, 4, 0), (TDeviceStep{0, 0, 0}));
    EXPECT_EQ(EncodeMacroStep(STEP_DELAY, 2, 100, 0), (TDeviceStep{0, 0, 0}));
    EXPECT_EQ(EncodeMacroStep(STEP_MEDIA_KEY, 0xFFFF, 1, 1), (TDeviceStep{0, 0, 0}));
}

TEST(EncodeMacro, KeyStepsCarryTheHidCodeAndTheStoredExtendedFlag) {
    TMACROKEYINFO Macro{};
    Macro.MacroList[0] = KeyStep(0x41, false, true);
    Macro.MacroList[1] = KeyStep(0x2D, true, false); // Insert, not numpad 0
    Macro.MacroList[2] = DelayStep(250);
    Macro.MacroListCount = 3;
    EXPECT_EQ(EncodeMacro(Macro),
              (TBytes{0x84, 0x04, 0, 0x04, 0x49, Macro.MacroList[1].Value2, 6, 25, 0}));
}

TEST(EncodeMacro, LoopStepFollowsTheStepsWhileThereIsRoomForIt) {
    TMACROKEYINFO Macro{};
    Macro.MacroListCount = 2;
    Macro.nLoopCount = 0x0203;
    TBytes Bytes = EncodeMacro(Macro);
    EXPECT_EQ(Bytes, (TBytes{0, 0, 0, 0, 0, 0, 7, 3, 2}));
    EXPECT_EQ(DeviceMacroLength(Macro), 9u);

    Macro.MacroListCount = 127;
    Bytes = EncodeMacro(Macro);
    ASSERT_EQ(Bytes.size(), 384u);
    EXPECT_EQ(TBytes(Bytes.end() - 3, Bytes.end()), (TBytes{7, 3, 2}));

    // A full macro keeps all its steps and plays once.
    Macro.MacroListCount = 128;
    Macro.MacroList[127] = KeyStep(0x41, false, false);
    Bytes = EncodeMacro(Macro);
    ASSERT_EQ(Bytes.size(), 384u);
    EXPECT_EQ(TBytes(Bytes.end() - 3, Bytes.end()), (TBytes{4, 4, 0}));
    EXPECT_EQ(DeviceMacroLength(Macro), 384u);

    // Counts from storage beyond the record stop at its 128 steps.
    Macro.MacroListCount = 100000;
    EXPECT_EQ(EncodeMacro(Macro).size(), 384u);
    Macro.MacroListCount = -5;
    EXPECT_EQ(EncodeMacro(Macro), (TBytes{7, 3, 2}));
}

TEST(SendDeviceCommand, PicksTheShortestReportThatHoldsThePayload) {
    struct TCase {
        std::size_t FPayload;
        std::uint8_t FId;
        std::size_t FLength;
    };
    for (TCase Case :
         {TCase{1, 2, 16}, TCase{8, 2, 16}, TCase{9, 3, 64}, TCase{56, 3, 64}, TCase{57, 4, 1024},
          TCase{1016, 4, 1024}, TCase{1017, 5, 2048}, TCase{2040, 5, 2048}, TCase{2048, 6, 4096}}) {
        TRecordingTarget Target;
        TBytes Data(Case.FPayload);
        for (std::size_t I = 0; I < Data.size(); ++I) {
            Data[I] = static_cast<std::uint8_t>(I + 1);
        }
        WriteDeviceMemory(Target, Data, 0x1234);
        ASSERT_EQ(Target.FReports.size(), 1u);
        const TBytes& Report = Target.FReports[0];
        ASSERT_EQ(Report.size(), Case.FLength) << Case.FPayload;
        EXPECT_EQ(Report[0], Case.FId);
        EXPECT_EQ(TBytes(Report.begin() + 1, Report.begin() + 8),
                  (TBytes{2, 0x34, 0x12, static_cast<std::uint8_t>(Case.FPayload),
                          static_cast<std::uint8_t>(Case.FPayload >> 8), 0xFA, 0xFA}));
        EXPECT_EQ(TBytes(Report.begin() + 8, Report.begin() + 8 + Data.size()), Data);
        EXPECT_EQ(std::count(Report.begin() + 8 + Data.size(), Report.end(), 0),
                  static_cast<std::ptrdiff_t>(Case.FLength - 8 - Data.size()));
    }
}

TEST(SendDeviceCommand, ModeCommandIsASixteenByteReport) {
    TRecordingTarget Target;
    SendModeCommand(Target, 1);
    ASSERT_EQ(Target.FReports.size(), 1u);
    TBytes Expected(16, 0);
    Expected[0] = 2;
    Expected[1] = 6;
    Expected[2] = 1;
    EXPECT_EQ(Target.FReports[0], Expected);
}

TEST(SendDeviceCommand, PayloadLengthComesFromTheCommandNotFromTheBytesGiven) {
    TRecordingTarget Target;
    TBytes Long(100, 0xEE);
    // Code 0 (top bit ignored) takes its length from argument byte 1.
    SendDeviceCommand(Target, 0x80, {0, 3, 0, 0, 0, 0}, Long);
    // A payload shorter than claimed goes out zero-filled.
    SendDeviceCommand(Target, 3, {0, 0, 20, 0, 0, 0}, TBytes{1, 2});
    ASSERT_EQ(Target.FReports.size(), 2u);
    EXPECT_EQ(Target.FReports[0].size(), 16u);
    EXPECT_EQ(TBytes(Target.FReports[0].begin() + 8, Target.FReports[0].end()),
              (TBytes{0xEE, 0xEE, 0xEE, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Target.FReports[1].size(), 64u);
    EXPECT_EQ(std::count(Target.FReports[1].begin() + 8, Target.FReports[1].end(), 0), 54);

    EXPECT_EQ(SendDeviceCommand(Target, 2, {0, 0, 0xF9, 0x0F, 0xFA, 0xFA}, Long),
              platform::HID_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Target.FReports.size(), 2u);
}

TEST(WriteDeviceMemory, SendsNothingForAnEmptyOrOverlongBlock) {
    TRecordingTarget Target;
    WriteDeviceMemory(Target, {}, 144);
    WriteDeviceMemory(Target, TBytes(2049, 1), 144);
    EXPECT_TRUE(Target.FReports.empty());
}

TEST(WriteMacroBlocks, WritesUsedSlotsInOrderAtTheBanksAddresses) {
    DeviceMacroBlocks Blocks;
    Blocks.FLengths = {3, 0, 6, 0, 384};
    Blocks.FBlocks[4].fill(0x55);
    for (unsigned Bank : {0u, 1u}) {
        TRecordingTarget Target;
        WriteMacroBlocks(Target, Blocks, Bank);
        ASSERT_EQ(Target.FReports.size(), 3u);
        std::vector<unsigned> Addresses;
        for (const TBytes& Report : Target.FReports) {
            Addresses.push_back(Report[2] | Report[3] << 8);
        }
        unsigned Base = Bank * 2304;
        EXPECT_EQ(Addresses, (std::vector<unsigned>{Base + 209, Base + 977, Base + 1745}));
        EXPECT_EQ(Target.FReports[2][4] | Target.FReports[2][5] << 8, 384);
        EXPECT_EQ(Target.FReports[2][8 + 383], 0x55);
    }
    TRecordingTarget Elsewhere;
    WriteMacroBlocks(Elsewhere, Blocks, 2);
    EXPECT_TRUE(Elsewhere.FReports.empty());
}

TEST(BuildButtonTable, FillsEachParameterColumnFromItsFields) {
    auto Profile = EmptyProfile();
    Profile->ConfigInfo.ButtonCount = 11;
    Button(*Profile, 0).nDeviceFunction = 11;
    Button(*Profile, 0).nDeviceParam3 = 0x1A7; // only the byte travels
    Button(*Profile, 1).nDeviceFunction = 14;
    Button(*Profile, 1).nMediaKeyL = 0xE9;
    Button(*Profile, 1).nMediaKeyH = 0x02;
    TBUTTONFUNCINFO& Combo = Button(*Profile, 2);
    Combo.nDeviceFunction = 15;
    Combo.ComboKeyInfo = {0x41, 0, 0x2D, 1, 3};
    Button(*Profile, 3).nDeviceFunction = 16;
    Button(*Profile, 3).nSingleKeyValue = 0x2D;
    Button(*Profile, 3).nSingleKeyExtended = 0;
    Button(*Profile, 4).nDeviceFunction = 18;
    Button(*Profile, 4).nDeviceParam1 = 9;
    Button(*Profile, 4).nDeviceParam2 = 0x0C80;
    Button(*Profile, 5).nDeviceFunction = 19;
    Button(*Profile, 5).ReportCode[0] = 0x00;
    Button(*Profile, 5).ReportCode[1] = 0x04;
    Button(*Profile, 5).ReportCode[2] = 0x80;
    Button(*Profile, 6).nDeviceFunction = 13;
    Button(*Profile, 6).nDeviceParam3 = 77; // a parameterless function ignores every field
    Button(*Profile, 6).nMediaKeyL = 5;
    Button(*Profile, 7).nDeviceFunction = 12;
    Button(*Profile, 7).nDeviceParam3 = 3;
    Button(*Profile, 8).nDeviceFunction = 1;
    Button(*Profile, 8).ReportCode[0] = 1;
    Button(*Profile, 9).nDeviceFunction = 17;
    Button(*Profile, 9).nFunctionGroup = NO_GROUP; // a macro nobody collected: slot 0
    Button(*Profile, 9).MacroKeyInfo.nMacroIndex = 4;
    Button(*Profile, 9).MacroKeyInfo.MacroListCount = 100;
    Button(*Profile, 9).MacroKeyInfo.nLoopCount = 1;
    Button(*Profile, 10).nDeviceFunction = 5;

    DeviceButtonTable Table = BuildButtonTable(*Profile);
    EXPECT_EQ(Table[0], 11);
    EXPECT_EQ(Entry(Table, 0), (TBytes{11, 0xA7, 0, 0}));
    EXPECT_EQ(Entry(Table, 1), (TBytes{14, 0, 0xE9, 0x02}));
    EXPECT_EQ(Entry(Table, 2), (TBytes{15, 0x05, 0x04, 0x49}));
    EXPECT_EQ(Entry(Table, 3), (TBytes{16, 0, 98, 0}));
    EXPECT_EQ(Entry(Table, 4), (TBytes{18, 9, 0x80, 0x0C}));
    EXPECT_EQ(Entry(Table, 5), (TBytes{19, 0x00, 0x04, 0x80}));
    EXPECT_EQ(Entry(Table, 6), (TBytes{13, 0, 0, 0}));
    EXPECT_EQ(Entry(Table, 7), (TBytes{12, 3, 0, 0}));
    EXPECT_EQ(Entry(Table, 8), (TBytes{1, 0, 0, 0}));
    EXPECT_EQ(Entry(Table, 9), (TBytes{17, 0, 0x2F, 0x01})); // 3 * 101 = 303
    EXPECT_EQ(Entry(Table, 10), (TBytes{5, 0, 0, 0}));
    EXPECT_EQ(std::count(Table.begin() + 45, Table.end(), 0), 20);
}

TEST(BuildButtonTable, StoredButtonCountIsBoundedByTheButtonRecords) {
    auto Profile = EmptyProfile();
    for (std::size_t K = 0; K < 15; ++K) {
        Button(*Profile, K).nDeviceFunction = static_cast<std::int32_t>(K + 1);
    }
    Profile->ConfigInfo.ButtonCount = 255;
    DeviceButtonTable Table = BuildButtonTable(*Profile);
    EXPECT_EQ(Table[0], 15);
    EXPECT_EQ(Entry(Table, 14), (TBytes{15, 0, 0, 0}));
    EXPECT_EQ(TBytes(Table.end() - 4, Table.end()), (TBytes{0, 0, 0, 0}));

    Profile->ConfigInfo.ButtonCount = -1;
    EXPECT_EQ(BuildButtonTable(*Profile), DeviceButtonTable{});
}

TEST(UsedMacros, ListFollowsTheButtonsAndASharedMacroTakesOneSlot) {
    auto Profile = EmptyProfile();
    Profile->ConfigInfo.ButtonCount = 10;
    GiveMacro(Button(*Profile, 1), 7, 5);
    GiveMacro(Button(*Profile, 3), 2, 12);
    GiveMacro(Button(*Profile, 4), 7, 5);
    Button(*Profile, 5).nFunctionGroup = HOST_REPORTED_GROUP; // carries a macro, not a macro button
    Button(*Profile, 5).MacroKeyInfo.nMacroIndex = 9;
    GiveMacro(Button(*Profile, 12), 11); // beyond the walked buttons
    EXPECT_EQ(CollectUsedMacros(*Profile, 10), (std::vector<std::uint16_t>{7, 2}));

    DeviceButtonTable Table = BuildButtonTable(*Profile);
    EXPECT_EQ(Entry(Table, 1), (TBytes{17, 0, 15, 0}));
    EXPECT_EQ(Entry(Table, 3), (TBytes{17, 1, 36, 0}));
    EXPECT_EQ(Entry(Table, 4), (TBytes{17, 0, 15, 0}));

    AddListMacro(*Profile, 9, 4, 0x99); // not used by a macro button
    AddListMacro(*Profile, 2, 12, 0x22);
    AddListMacro(*Profile, 7, 5, 0x77);
    DeviceMacroBlocks Blocks = BuildMacroBlocks(*Profile);
    EXPECT_EQ(Blocks.FLengths, (std::array<std::uint32_t, 5>{15, 36, 0, 0, 0}));
    EXPECT_EQ(Blocks.FBlocks[0][1], 0x77);
    EXPECT_EQ(Blocks.FBlocks[1][1], 0x22);
    EXPECT_EQ(Blocks.FBlocks[1][3 * 11 + 2], 11);
}

TEST(BuildMacroBlocks, ReadsOnlyTheCountedMacrosAndTheLastOfTwinsWins) {
    auto Profile = EmptyProfile();
    GiveMacro(Button(*Profile, 0), 3);
    AddListMacro(*Profile, 3, 4, 0x31);
    AddListMacro(*Profile, 3, 2, 0x32);
    EXPECT_EQ(BuildMacroBlocks(*Profile).FLengths[0], 6u);
    EXPECT_EQ(BuildMacroBlocks(*Profile).FBlocks[0][1], 0x32);

    // An entry past the count is not a macro of the profile.
    Profile->MacroKeyInfoList.nMacroInfoCount = 1;
    EXPECT_EQ(BuildMacroBlocks(*Profile).FBlocks[0][1], 0x31);
    Profile->MacroKeyInfoList.nMacroInfoCount = 0;
    EXPECT_EQ(BuildMacroBlocks(*Profile).FLengths[0], 0u);

    // A stored count past the 21 records reads all 21 and no further.
    Profile->MacroKeyInfoList.nMacroInfoCount = 0xFFFF;
    Profile->MacroKeyInfoList.MacroInfos[20].nMacroIndex = 3;
    Profile->MacroKeyInfoList.MacroInfos[20].MacroListCount = 1;
    Profile->MacroInfoToDevice.MacroInfos[0].nMacroIndex = 3; // right behind the list
    Profile->MacroInfoToDevice.MacroInfos[0].MacroListCount = 9;
    EXPECT_EQ(BuildMacroBlocks(*Profile).FLengths[0], 3u);
}

TEST(MoreMacrosThanSlots, FirstFiveKeepTheirSlotsAndTheRestPlayNothing) {
    auto Profile = EmptyProfile();
    Profile->ConfigInfo.ButtonCount = 10;
    for (std::uint16_t K = 0; K < 7; ++K) {
        GiveMacro(Button(*Profile, K), static_cast<std::uint16_t>(100 + K), 2);
        AddListMacro(*Profile, static_cast<std::uint16_t>(100 + K), 2,
                     static_cast<std::uint8_t>(K));
    }
    GiveMacro(Button(*Profile, 7), 101, 2); // a seventh button sharing a kept macro
    Button(*Profile, 8).nDeviceFunction = 1;

    DeviceButtonTable Table = BuildButtonTable(*Profile);
    EXPECT_EQ(Table[0], 10);
    for (std::uint8_t K = 0; K < 5; ++K) {
        EXPECT_EQ(Entry(Table, K), (TBytes{17, K, 6, 0}));
    }
    EXPECT_EQ(Entry(Table, 5), (TBytes{13, 0, 0, 0}));
    EXPECT_EQ(Entry(Table, 6), (TBytes{13, 0, 0, 0}));
    EXPECT_EQ(Entry(Table, 7), (TBytes{17, 1, 6, 0}));
    EXPECT_EQ(Entry(Table, 8), (TBytes{1, 0, 0, 0}));

    DeviceMacroBlocks Blocks = BuildMacroBlocks(*Profile);
    EXPECT_EQ(Blocks.FLengths, (std::array<std::uint32_t, 5>{6, 6, 6, 6, 6}));
    for (std::uint8_t K = 0; K < 5; ++K) {
        EXPECT_EQ(Blocks.FBlocks[K][1], K);
    }
}

TEST(SwapButtonRecords, ExchangesWholeRecordsWithinTheFifteenButtons) {
    auto Profile = EmptyProfile();
    Button(*Profile, 0).nDeviceFunction = 3;
    Button(*Profile, 0).Reserved928[100] = 0xAB;
    Button(*Profile, 14).nFunctionType = 31;
    SwapButtonRecords(*Profile, 0, 14);
    EXPECT_EQ(Button(*Profile, 14).nDeviceFunction, 3);
    EXPECT_EQ(Button(*Profile, 14).Reserved928[100], 0xAB);
    EXPECT_EQ(Button(*Profile, 0).nFunctionType, 31);
    EXPECT_EQ(Button(*Profile, 0).Reserved928[100], 0);
    EXPECT_THROW(SwapButtonRecords(*Profile, 0, 15), std::out_of_range);
    EXPECT_THROW(SwapButtonRecords(*Profile, 15, 0), std::out_of_range);
}

} // namespace
} // namespace vanto
