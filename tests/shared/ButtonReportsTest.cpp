#include "shared/ButtonReports.h"

#include <gtest/gtest.h>

#include <vector>

namespace vanto {
namespace {

std::optional<TButtonEvent> Decode(std::uint8_t AReportID, std::vector<std::uint8_t> APayload) {
    return DecodeInputReport(AReportID, APayload.data(),
                             static_cast<std::uint16_t>(APayload.size()));
}

TEST(ButtonReportCodes, RowKIsReportSevenWithOnlyBitKOfTheMask) {
    EXPECT_EQ(ButtonReportCodes[0], (TButtonReportCode{0x07, 0x01, 0x00, 0x00}));
    EXPECT_EQ(ButtonReportCodes[10], (TButtonReportCode{0x07, 0x00, 0x04, 0x00}));
    EXPECT_EQ(ButtonReportCodes[15], (TButtonReportCode{0x07, 0x00, 0x80, 0x00}));
    EXPECT_EQ(ButtonReportCodes[21], (TButtonReportCode{0x07, 0x00, 0x00, 0x20}));
    EXPECT_EQ(ButtonReportCodes[23], (TButtonReportCode{0x07, 0x00, 0x00, 0x80}));
}

TEST(DecodeInputReport, EachSingleBitOfTheMaskIsItsKeyIndex) {
    for (std::size_t K = 0; K < 24; ++K) {
        std::vector<std::uint8_t> Payload(7, 0x00);
        Payload[K / 8] = static_cast<std::uint8_t>(1u << (K % 8));
        Payload[3] = 0xEE; // bytes 3 to 6 carry nothing for the decoder
        Payload[6] = 0x5A;
        auto Event = Decode(7, Payload);
        ASSERT_TRUE(Event) << "key index " << K;
        EXPECT_EQ(*Event, (TButtonEvent{K, 1}));
    }
}

TEST(DecodeInputReport, MasksWithNoneOrSeveralBitsAreIgnored) {
    EXPECT_FALSE(Decode(7, {0x00, 0x00, 0x00, 0, 0, 0, 0})); // the release report
    EXPECT_FALSE(Decode(7, {0x03, 0x00, 0x00, 0, 0, 0, 0}));
    EXPECT_FALSE(Decode(7, {0x01, 0x00, 0x80, 0, 0, 0, 0}));
    EXPECT_FALSE(Decode(7, {0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
}

TEST(DecodeInputReport, OnlySevenBytePayloadsAreDecoded) {
    EXPECT_FALSE(Decode(7, {0x00, 0x04, 0x00, 0, 0, 0}));
    EXPECT_FALSE(Decode(7, {0x00, 0x04, 0x00, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(Decode(7, {}));
    EXPECT_FALSE(Decode(8, {0x01, 0x01, 0, 0, 0, 0}));
    EXPECT_FALSE(DecodeInputReport(7, nullptr, 7));
}

TEST(DecodeInputReport, PayloadsLongerThanTheCopyBufferAreIgnored) {
    std::vector<std::uint8_t> Long(65, 0x00);
    Long[1] = 0x04;
    EXPECT_FALSE(Decode(7, Long));
    std::vector<std::uint8_t> Huge(65535, 0x01);
    EXPECT_FALSE(Decode(8, Huge));
}

TEST(DecodeInputReport, ProfileReportSelectsProfileZeroOrOne) {
    EXPECT_EQ(Decode(8, {0x01, 0x00, 9, 9, 9, 9, 9}), (TButtonEvent{21, 0}));
    EXPECT_EQ(Decode(8, {0x01, 0x01, 0, 0, 0, 0, 0}), (TButtonEvent{22, 0}));
    EXPECT_FALSE(Decode(8, {0x02, 0x01, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(Decode(8, {0x00, 0x00, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(Decode(8, {0x01, 0x02, 0, 0, 0, 0, 0}));
}

TEST(DecodeInputReport, OtherReportIdsAreIgnored) {
    for (int Id : {0, 1, 6, 9, 0xFF}) {
        EXPECT_FALSE(Decode(static_cast<std::uint8_t>(Id), {0x01, 0x00, 0, 0, 0, 0, 0})) << Id;
    }
}

} // namespace
} // namespace vanto
