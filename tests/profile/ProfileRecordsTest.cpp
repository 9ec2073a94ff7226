#include "shared/pubunit_quorvin.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace vanto {
namespace {

using TBytes = std::vector<std::uint8_t>;

template <typename T> TBytes ToBytes(const T& ARecord) {
    TBytes Bytes(sizeof(T));
    std::memcpy(Bytes.data(), &ARecord, sizeof(T));
    return Bytes;
}

std::size_t OffsetIn(const void* ARecord, const void* AField) {
    return static_cast<std::size_t>(static_cast<const std::uint8_t*>(AField) -
                                    static_cast<const std::uint8_t*>(ARecord));
}

std::size_t CountNonZero(const TBytes& ABytes) {
    std::size_t Count = 0;
    for (std::uint8_t Byte : ABytes) {
        Count += Byte != 0 ? 1 : 0;
    }
    return Count;
}

// The index of the first byte where the blobs differ, or their size when they are equal.
std::size_t FirstDifference(const TBytes& A, const TBytes& B) {
    std::size_t I = 0;
    while (I < A.size() && I < B.size() && A[I] == B[I]) {
        ++I;
    }
    return I;
}

TBytes PseudoRandomBlob(std::size_t ASize, std::uint32_t ASeed) {
    std::mt19937 Generator(ASeed);
    TBytes Bytes(ASize);
    for (std::uint8_t& Byte : Bytes) {
        Byte = static_cast<std::uint8_t>(Generator() & 0xFF);
    }
    return Bytes;
}

// --- Nested offsets, checked on the bytes of records filled through the structs. ---

TEST(ProfileRecordsTest, FunctionTypeOfButtonKLiesAt872Plus3772KPlus3754) {
    auto Profile = std::make_unique<TMouseProfileInfo>();
    for (std::size_t K = 0; K < BUTTON_COUNT; ++K) {
        Profile->ConfigInfo.ButtonFuncInfo[K].nFunctionType =
            static_cast<std::uint16_t>(0xA500 + K);
    }
    const TBytes Blob = ToBytes(*Profile);
    ASSERT_EQ(Blob.size(), PROFILE_BLOCK_SIZE);
    for (std::size_t K = 0; K < BUTTON_COUNT; ++K) {
        const std::size_t At = 872 + 3772 * K + 3754;
        EXPECT_EQ(Blob[At], K) << "button " << K;
        EXPECT_EQ(Blob[At + 1], 0xA5) << "button " << K;
    }
    EXPECT_EQ(Blob[57434], 14);
    EXPECT_EQ(Blob[57435], 0xA5);
    // The low byte of button 0 is 0, so 2 * 15 - 1 bytes are set and nothing else.
    EXPECT_EQ(CountNonZero(Blob), 2 * BUTTON_COUNT - 1);
}

TEST(ProfileRecordsTest, NameOfMacro20LiesAt105212) {
    auto Profile = std::make_unique<TMouseProfileInfo>();
    TMACROKEYINFO& Macro = Profile->MacroKeyInfoList.MacroInfos[MACRO_COUNT - 1];
    EXPECT_EQ(OffsetIn(Profile.get(), &Macro.szMacroName), 105212u);
    WriteRecordText(Macro.szMacroName, u"Z");
    const TBytes Blob = ToBytes(*Profile);
    EXPECT_EQ(Blob[105212], 'Z');
    EXPECT_EQ(Blob[105213], 0);
    EXPECT_EQ(CountNonZero(Blob), 1u);
}

TEST(ProfileRecordsTest, StorageTypeOfTheLastGameProfileLiesAtItsPlace) {
    auto Games = std::make_unique<TALLGAMESINFO>();
    Games->Allgameset[GAME_PROFILE_COUNT - 1].nStorageType = STORAGE_FILE;
    const TBytes GamesBlob = ToBytes(*Games);
    ASSERT_EQ(GamesBlob.size(), ALLGAMESINFO_BLOCK_SIZE);
    EXPECT_EQ(GamesBlob[4 * 6190 + 6188], STORAGE_FILE);
    EXPECT_EQ(CountNonZero(GamesBlob), 1u);

    auto Group = std::make_unique<TProfileSettingGroup>();
    Group->ProfileSettingList[GAME_PROFILE_COUNT - 1].nStorageType = STORAGE_FILE;
    Group->ProfileIndexOfProfileGroup[1] = 4;
    const TBytes GroupBlob = ToBytes(*Group);
    ASSERT_EQ(GroupBlob.size(), PROFILE_SETTING_GROUP_BLOCK_SIZE);
    EXPECT_EQ(GroupBlob[12 + 4 * 6190 + 6188], STORAGE_FILE);
    EXPECT_EQ(GroupBlob[8], 4);
    EXPECT_EQ(CountNonZero(GroupBlob), 2u);
}

// --- Bytes this system does not interpret are carried unchanged. ---

struct TByteRange {
    std::size_t FOffset;
    TBytes FBytes; // what the writer put there
};

// A profile read from storage, copied by value, changed the way the recorder changes it and
// written back: every byte outside the changed fields is the stored byte.
TEST(ProfileRecordsTest, WritingBackChangesOnlyTheFieldsTheWriterSet) {
    const TBytes Stored = PseudoRandomBlob(PROFILE_BLOCK_SIZE, 20240607);
    auto Loaded = std::make_unique<TMouseProfileInfo>();
    std::memcpy(Loaded.get(), Stored.data(), PROFILE_BLOCK_SIZE);
    auto Profile = std::make_unique<TMouseProfileInfo>(*Loaded); // records are passed by copy

    auto Macro = std::make_unique<TMACROKEYINFO>();
    Macro->MacroList[0] = TMACROKEY{1, 1, 1, 0};
    Macro->MacroList[1] = TMACROKEY{1, 0, 1, 0};
    Macro->MacroListCount = 2;
    Macro->Version = MACRO_FORMAT_VERSION;
    WriteRecordText(Macro->szMacroName, u"User Recorded");
    const TBytes MacroBytes = ToBytes(*Macro);

    const std::size_t ButtonIndex = 6;
    TBUTTONFUNCINFO& Button = Profile->ConfigInfo.ButtonFuncInfo[ButtonIndex];
    Button.nFunctionType = FUNCTION_TYPE_PLAY_MACRO;
    Button.nFunctionGroup = MACRO_GROUP;
    Button.nDeviceFunction = 17;
    Button.nFunctionID = 13;
    Button.MacroKeyInfo = *Macro;
    Profile->MacroKeyInfoList.MacroInfos[0] = *Macro;

    const std::size_t ButtonAt = 872 + 3772 * ButtonIndex;
    const std::vector<TByteRange> Changed = {
        {ButtonAt + 3754, {FUNCTION_TYPE_PLAY_MACRO, 0}},
        {ButtonAt + 3756, {MACRO_GROUP}},
        {ButtonAt + 3760, {17, 0, 0, 0}},
        {ButtonAt + 3764, {13, 0, 0, 0}},
        {ButtonAt + 24, MacroBytes},
        {86592, MacroBytes},
    };
    TBytes Expected = Stored;
    for (const TByteRange& Range : Changed) {
        std::memcpy(Expected.data() + Range.FOffset, Range.FBytes.data(), Range.FBytes.size());
    }

    const TBytes Written = ToBytes(*Profile);
    ASSERT_EQ(Written.size(), PROFILE_BLOCK_SIZE);
    const std::size_t Diff = FirstDifference(Written, Expected);
    EXPECT_EQ(Diff, PROFILE_BLOCK_SIZE) << "first changed byte outside the written fields";
    // The loaded record itself is untouched by the copy.
    EXPECT_EQ(FirstDifference(ToBytes(*Loaded), Stored), PROFILE_BLOCK_SIZE);
}

TEST(ProfileRecordsTest, NonZeroHelpFileBytesSurviveACopyUntouched) {
    TBytes Stored(PROFILE_BLOCK_SIZE, 0);
    const std::size_t HelpFileAt = 109792 + 16;
    const std::uint8_t HelpFileBytes[4] = {0xEF, 0xBE, 0xAD, 0xDE};
    std::memcpy(Stored.data() + HelpFileAt, HelpFileBytes, 4);
    Stored[HelpFileAt - 1] = 0x11; // neighbours: ShowLockStatePop and Nologo
    Stored[HelpFileAt + 4] = 0x22;

    auto Profile = std::make_unique<TMouseProfileInfo>();
    std::memcpy(Profile.get(), Stored.data(), PROFILE_BLOCK_SIZE);
    EXPECT_EQ(Profile->OtherConfig.HelpFile, 0xDEADBEEFu);
    EXPECT_EQ(sizeof(Profile->OtherConfig.HelpFile), 4u);

    auto Copy = std::make_unique<TMouseProfileInfo>();
    *Copy = *Profile;
    EXPECT_EQ(FirstDifference(ToBytes(*Copy), Stored), PROFILE_BLOCK_SIZE);
}

// --- Text fields. ---

TEST(ProfileRecordsTest, WriteRecordTextCutsAtCapacityMinusOneAndTerminates) {
    TMACROKEYINFO Macro{};
    const std::u16string Long(60, u'm');
    WriteRecordText(Macro.szMacroName, Long);
    EXPECT_EQ(Macro.szMacroName[MACRO_NAME_CAPACITY - 1], u'\0');
    EXPECT_EQ(ReadRecordText(Macro.szMacroName), std::u16string(MACRO_NAME_CAPACITY - 1, u'm'));
    EXPECT_EQ(Macro.Version, 0u) << "the text ran past its field";

    const std::u16string Exact(MACRO_NAME_CAPACITY - 1, u'e');
    WriteRecordText(Macro.szMacroName, Exact);
    EXPECT_EQ(ReadRecordText(Macro.szMacroName), Exact);

    WriteRecordText(Macro.szMacroName, u"");
    EXPECT_EQ(Macro.szMacroName[0], u'\0');
    EXPECT_EQ(ReadRecordText(Macro.szMacroName), u"");
}

TEST(ProfileRecordsTest, WriteRecordTextLeavesTheUnitsAfterTheTerminator) {
    TMACROKEYINFO Macro{};
    for (char16_t& Unit : Macro.szMacroName) {
        Unit = u'#';
    }
    WriteRecordText(Macro.szMacroName, u"Hello");
    EXPECT_EQ(ReadRecordText(Macro.szMacroName), u"Hello");
    EXPECT_EQ(Macro.szMacroName[5], u'\0');
    for (std::size_t I = 6; I < MACRO_NAME_CAPACITY; ++I) {
        EXPECT_EQ(Macro.szMacroName[I], u'#') << "unit " << I;
    }
}

TEST(ProfileRecordsTest, ReadRecordTextStopsAtCapacityWithoutTerminator) {
    TMACROKEYINFO Macro{};
    for (char16_t& Unit : Macro.szMacroName) {
        Unit = u'x';
    }
    Macro.Version = 0x00410041; // "AA" right behind the field: a read past it would show them
    EXPECT_EQ(ReadRecordText(Macro.szMacroName), std::u16string(MACRO_NAME_CAPACITY, u'x'));

    TPROFILESETTINGINFO Setting{};
    for (char16_t& Unit : Setting.szFileName) {
        Unit = u'f';
    }
    Setting.szMacroPath[0] = u'M';
    EXPECT_EQ(ReadRecordText(Setting.szFileName), std::u16string(PROFILE_FILE_NAME_CAPACITY, u'f'));
}

TEST(ProfileRecordsTest, SurrogatePairsRoundTripAndAreNeverSplitByACut) {
    TPROFILE_MACRO_PATH Path{};
    const std::u16string Text = u"C:\\Spiele\\\U0001F5B1 Maus \u00C4\u03A9\\\U0001F3AE.pfd";
    WriteRecordText(Path.FilePath, Text);
    EXPECT_EQ(ReadRecordText(Path.FilePath), Text);

    // 19 units and a pair in a field of 21 units: the pair does not fit behind unit 19 and
    // is dropped whole, rather than leaving its high half alone.
    TPROFILESETTINGINFO Setting{};
    const std::u16string Name = std::u16string(19, u'a') + u"\U0001F5B1";
    WriteRecordText(Setting.szFileName, Name);
    EXPECT_EQ(ReadRecordText(Setting.szFileName), std::u16string(19, u'a'));
    EXPECT_EQ(Setting.szFileName[19], u'\0');

    // 18 units and a pair: exactly 20 units, kept whole.
    const std::u16string Fits = std::u16string(18, u'b') + u"\U0001F5B1";
    WriteRecordText(Setting.szFileName, Fits);
    EXPECT_EQ(ReadRecordText(Setting.szFileName), Fits);
}

// --- FunctionTypeTable. ---

TEST(ProfileRecordsTest, FunctionTypeTableFollowsItsRanges) {
    ASSERT_EQ(FunctionTypeTable.size(), 37u);
    for (std::uint16_t Type = 0; Type < 37; ++Type) {
        const TFunctionTypeRow* Row = FindFunctionType(Type);
        ASSERT_NE(Row, nullptr) << Type;
        EXPECT_EQ(Row->FFunctionType, Type);
        std::int32_t Device = 0;
        std::int32_t Id = 0;
        if (Type <= 4) {
            const std::int32_t Devices[] = {1, 2, 3, 5, 4};
            Device = Devices[Type];
            Id = Type + 1;
        } else if (Type == 5) {
            Device = 16;
            Id = 6;
        } else if (Type == 6) {
            Device = 15;
            Id = 7;
        } else if (Type <= 14) {
            Device = 15;
            Id = 801 + (Type - 7);
        } else if (Type <= 20) {
            Device = 15;
            Id = 901 + (Type - 15);
        } else if (Type <= 27) {
            Device = 14;
            Id = 1001 + (Type - 21);
        } else {
            const std::int32_t Devices[] = {19, 17, 8, 17, 19, 10, 9, 13, 14};
            const std::int32_t Ids[] = {1008, 11, 12, 13, 14, 15, 16, 17, 18};
            Device = Devices[Type - 28];
            Id = Ids[Type - 28];
        }
        EXPECT_EQ(Row->FDeviceFunction, Device) << "type " << Type;
        EXPECT_EQ(Row->FFunctionID, Id) << "type " << Type;
    }
    EXPECT_EQ(FindFunctionType(37), nullptr);
    EXPECT_EQ(FindFunctionType(0xFFFF), nullptr);
}

} // namespace
} // namespace vanto
