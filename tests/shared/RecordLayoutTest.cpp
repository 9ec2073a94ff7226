#include "shared/RecordLayout.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vanto {
namespace {

const TRecordLayout* FindRecord(std::string_view AName) {
    for (const TRecordLayout& Record : RecordLayouts()) {
        if (Record.FName == AName) {
            return &Record;
        }
    }
    return nullptr;
}

const TFieldLayout* FindField(std::string_view ARecord, std::string_view AField) {
    const TRecordLayout* Record = FindRecord(ARecord);
    if (Record == nullptr) {
        return nullptr;
    }
    for (const TFieldLayout& Field : Record->FFields) {
        if (Field.FName == AField) {
            return &Field;
        }
    }
    return nullptr;
}

TEST(RecordLayoutTest, ListsEveryRecordInTableOrderWithItsStoredSize) {
    const std::vector<std::pair<std::string_view, std::size_t>> Expected = {
        {"TProfileUIDData", 8},
        {"TProfileHeader", 72},
        {"TMACROKEY", 6},
        {"TMACROKEYINFO", 892},
        {"TMACROKEYINFOLIST", 18736},
        {"TMACROINFOLIST_TO_DEVICE", 4464},
        {"TCOMBOKEYINFO", 10},
        {"TBUTTONFUNCINFO", 3772},
        {"TFUNCTIONLIST", 800},
        {"TLEDCONFIG", 6},
        {"TSENSORLIFT", 1},
        {"TPROFILE_MACRO_PATH", 1026},
        {"TCPISTATE", 6},
        {"TMOUSECONFIGINFO", 84120},
        {"TOtherConfig", 24},
        {"TMouseProfileInfo", 109816},
        {"TPROFILESETTINGINFO", 6190},
        {"TALLGAMESINFO", 30954},
        {"TProfileSettingGroup", 30964},
    };
    const auto Records = RecordLayouts();
    ASSERT_EQ(Records.size(), Expected.size());
    for (std::size_t I = 0; I < Expected.size(); ++I) {
        EXPECT_EQ(Records[I].FName, Expected[I].first) << "record " << I;
        EXPECT_EQ(Records[I].FSize, Expected[I].second) << Records[I].FName;
    }
}

// Counts for every byte of each record how many fields claim it: a forgotten padding field or a
// wrong array bound leaves a byte at 0 or puts one at 2.
TEST(RecordLayoutTest, FieldsCoverEveryRecordExactlyOnce) {
    for (const TRecordLayout& Record : RecordLayouts()) {
        SCOPED_TRACE(std::string(Record.FName));
        ASSERT_FALSE(Record.FFields.empty());
        if (Record.FName == "TProfileUIDData") {
            // The union: three views of the same bytes, each covering all of them.
            for (const TFieldLayout& Field : Record.FFields) {
                EXPECT_EQ(Field.FOffset, 0u) << Field.FName;
                EXPECT_EQ(Field.FSize, Record.FSize) << Field.FName;
            }
            continue;
        }
        std::vector<int> Claims(Record.FSize, 0);
        std::size_t SizeSum = 0;
        for (const TFieldLayout& Field : Record.FFields) {
            ASSERT_GT(Field.FSize, 0u) << Field.FName;
            ASSERT_LE(Field.FOffset + Field.FSize, Record.FSize) << Field.FName;
            for (std::size_t Byte = Field.FOffset; Byte < Field.FOffset + Field.FSize; ++Byte) {
                ++Claims[Byte];
            }
            SizeSum += Field.FSize;
        }
        EXPECT_EQ(SizeSum, Record.FSize);
        for (std::size_t Byte = 0; Byte < Record.FSize; ++Byte) {
            ASSERT_EQ(Claims[Byte], 1) << "byte " << Byte;
        }
    }
}

TEST(RecordLayoutTest, FieldNamesAreUniqueAndPaddingIsNamedAfterItsOffset) {
    for (const TRecordLayout& Record : RecordLayouts()) {
        SCOPED_TRACE(std::string(Record.FName));
        std::set<std::string_view> Names;
        for (const TFieldLayout& Field : Record.FFields) {
            EXPECT_FALSE(Field.FName.empty());
            EXPECT_TRUE(Names.insert(Field.FName).second) << "duplicate " << Field.FName;
            constexpr std::string_view Prefix = "Padding";
            if (Field.FName.substr(0, Prefix.size()) == Prefix) {
                EXPECT_EQ(std::string(Field.FName.substr(Prefix.size())),
                          std::to_string(Field.FOffset));
            }
        }
    }
}

TEST(RecordLayoutTest, FieldsThatOtherPartsUseSitWhereTheTablesSay) {
    struct TExpected {
        std::string_view FRecord;
        std::string_view FField;
        std::size_t FOffset;
        std::size_t FSize;
    };
    const TExpected Expected[] = {
        {"TBUTTONFUNCINFO", "nFunctionType", 3754, 2},
        {"TBUTTONFUNCINFO", "nFunctionGroup", 3756, 1},
        {"TBUTTONFUNCINFO", "ReportCode", 3748, 3},
        {"TBUTTONFUNCINFO", "MacroKeyInfo", 24, 892},
        {"TMACROKEYINFO", "szMacroName", 780, 100},
        {"TMOUSECONFIGINFO", "ApplicationList", 71794, 10260},
        {"TOtherConfig", "HelpFile", 16, 4},
        {"TMouseProfileInfo", "ConfigInfo", 872, 84120},
        {"TMouseProfileInfo", "MacroKeyInfoList", 86592, 18736},
        {"TMouseProfileInfo", "OtherConfig", 109792, 24},
        {"TPROFILESETTINGINFO", "szFileName", 4098, 42},
        {"TALLGAMESINFO", "CurrentLanguage", 30952, 1},
        {"TProfileSettingGroup", "ProfileSettingList", 12, 30950},
    };
    for (const TExpected& E : Expected) {
        const TFieldLayout* Field = FindField(E.FRecord, E.FField);
        ASSERT_NE(Field, nullptr) << E.FRecord << "." << E.FField;
        EXPECT_EQ(Field->FOffset, E.FOffset) << E.FRecord << "." << E.FField;
        EXPECT_EQ(Field->FSize, E.FSize) << E.FRecord << "." << E.FField;
    }
}

} // namespace
} // namespace vanto
