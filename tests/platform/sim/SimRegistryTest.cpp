#include "platform/sim/SimRegistry.h"

#include <gtest/gtest.h>

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
