#include "platform/sim/SimRegistry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace vanto::sim {
namespace {

using platform::TRegValueType;

TEST(SimRegistry, KeysAndValueNamesIgnoreCaseAndValuesKeepTheirType) {
    TSimRegistry Registry;
    ASSERT_TRUE(Registry.CreateKey(u"software\\VantoGamingMouse"));
    EXPECT_TRUE(Registry.KeyExists(u"SOFTWARE\\vantogamingmouse\\"));
    EXPECT_TRUE(Registry.KeyExists(u"Software"));

    const std::uint8_t Blob[] = {1, 2, 3};
    ASSERT_TRUE(
        Registry.WriteBinaryValue(u"Software\\VantoGamingMouse", u"VantoProfile.pfd", Blob, 3));
    ASSERT_TRUE(Registry.WriteDWordValue(u"software\\vantogamingmouse", u"ProfileID", 0x01020304));

    auto Binary = Registry.ReadValue(u"SOFTWARE\\VANTOGAMINGMOUSE", u"vantoprofile.PFD");
    ASSERT_TRUE(Binary);
    EXPECT_EQ(Binary->FType, TRegValueType::Binary);
    EXPECT_EQ(Binary->FData, (std::vector<std::uint8_t>{1, 2, 3}));
    auto DWord = Registry.ReadValue(u"software\\VantoGamingMouse", u"profileid");
    ASSERT_TRUE(DWord);
    EXPECT_EQ(DWord->FType, TRegValueType::DWord);
    EXPECT_EQ(DWord->FData, (std::vector<std::uint8_t>{4, 3, 2, 1}));
}

TEST(SimRegistry, WritesNeverCreateTheirKey) {
    TSimRegistry Registry;
    EXPECT_FALSE(Registry.WriteDWordValue(u"software\\VantoGamingMouse", u"ProfileID", 1));
    EXPECT_FALSE(Registry.KeyExists(u"software\\VantoGamingMouse"));
    EXPECT_FALSE(Registry.ReadValue(u"software\\VantoGamingMouse", u"ProfileID"));
    EXPECT_FALSE(Registry.CreateKey(u""));
}

} // namespace
} // namespace vanto::sim

namespace vanto::sim {
namespace {

namespace fs = std::filesystem;

class SimRegistryOnDiskTest : public testing::Test {
protected:
    ~SimRegistryOnDiskTest() override {
        std::error_code Error;
        fs::remove_all(FRoot, Error);
    }
    fs::path FRoot =
        fs::temp_directory_path() / ("vanto-simreg-" + std::to_string(std::random_device{}()));
};

TEST_F(SimRegistryOnDiskTest, ALaterRunFindsKeysValuesAndTypesAgain) {
    const std::uint8_t Blob[] = {0, 1, 2, 0xFF};
    {
        TSimRegistry Registry(FRoot);
        Registry.CreateKey(u"software\\VantoGamingMouse");
        Registry.WriteBinaryValue(u"software\\VantoGamingMouse", u"VantoProfile.pfd", Blob, 4);
        Registry.WriteDWordValue(u"software\\VantoGamingMouse", u"ProfileID", 1);
        Registry.WriteDWordValue(u"software\\VantoGamingMouse", u"Odd/Name%", 2);
        // Rewritten with another type and case: one value remains.
        Registry.WriteRawValue(u"SOFTWARE\\VANTOGAMINGMOUSE", u"profileid",
                               {TRegValueType::String, {'1', 0, 0, 0}});
    }
    EXPECT_TRUE(fs::is_regular_file(FRoot / "software" / "VantoGamingMouse" /
                                    "VantoProfile.pfd.REG_BINARY"));
    EXPECT_TRUE(fs::is_regular_file(FRoot / "software" / "VantoGamingMouse" / "profileid.REG_SZ"));
    EXPECT_FALSE(fs::exists(FRoot / "software" / "VantoGamingMouse" / "ProfileID.REG_DWORD"));

    TSimRegistry Again(FRoot);
    EXPECT_TRUE(Again.KeyExists(u"Software"));
    auto Binary = Again.ReadValue(u"software\\vantogamingmouse", u"VANTOPROFILE.PFD");
    ASSERT_TRUE(Binary);
    EXPECT_EQ(Binary->FType, TRegValueType::Binary);
    EXPECT_EQ(Binary->FData, (std::vector<std::uint8_t>{0, 1, 2, 0xFF}));
    auto Text = Again.ReadValue(u"software\\VantoGamingMouse", u"ProfileID");
    ASSERT_TRUE(Text);
    EXPECT_EQ(Text->FType, TRegValueType::String);
    auto Odd = Again.ReadValue(u"software\\VantoGamingMouse", u"odd/name%");
    ASSERT_TRUE(Odd);
    EXPECT_EQ(Odd->FType, TRegValueType::DWord);
}

} // namespace
} // namespace vanto::sim
