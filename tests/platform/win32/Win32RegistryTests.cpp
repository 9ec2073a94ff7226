#include "platform/win32/Win32Registry.h"

#include "platform/Utf16.h"
#include "platform/win32/WideText.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <random>

namespace vanto::win32 {
namespace {

using platform::TRegValueType;

// Every test works below its own throw-away key of the real registry of the current user.
class Win32RegistryTest : public ::testing::Test {
protected:
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, AsWide(FKey));
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VantoTests"); // only if nothing else is left
    }

    TWin32Registry FRegistry;
    const std::u16string FKey =
        u"Software\\VantoTests\\" + DecimalToUtf16(std::random_device{}() & 0x7FFFFFFF);
};

TEST_F(Win32RegistryTest, CreatedKeyKeepsBinaryAndDWordValuesWithTheirTypes) {
    const std::u16string Key = FKey + u"\\Nested";
    ASSERT_FALSE(FRegistry.KeyExists(Key));
    ASSERT_TRUE(FRegistry.CreateKey(Key));
    EXPECT_TRUE(FRegistry.KeyExists(Key));

    // The size of a stored profile record, with zero bytes inside.
    std::vector<std::uint8_t> Blob(109816);
    for (std::size_t I = 0; I < Blob.size(); ++I) {
        Blob[I] = static_cast<std::uint8_t>(I % 251);
    }
    ASSERT_TRUE(FRegistry.WriteBinaryValue(Key, u"Blob", Blob.data(), Blob.size()));
    ASSERT_TRUE(FRegistry.WriteDWordValue(Key, u"Number", 0xA1B2C3D4));
    ASSERT_TRUE(FRegistry.WriteBinaryValue(Key, u"Empty", nullptr, 0));

    const auto ReadBlob = FRegistry.ReadValue(Key, u"Blob");
    ASSERT_TRUE(ReadBlob.has_value());
    EXPECT_EQ(ReadBlob->FType, TRegValueType::Binary);
    EXPECT_EQ(ReadBlob->FData, Blob);

    const auto ReadNumber = FRegistry.ReadValue(Key, u"Number");
    ASSERT_TRUE(ReadNumber.has_value());
    EXPECT_EQ(ReadNumber->FType, TRegValueType::DWord);
    EXPECT_EQ(ReadNumber->FData, (std::vector<std::uint8_t>{0xD4, 0xC3, 0xB2, 0xA1}));

    const auto ReadEmpty = FRegistry.ReadValue(Key, u"Empty");
    ASSERT_TRUE(ReadEmpty.has_value());
    EXPECT_EQ(ReadEmpty->FType, TRegValueType::Binary);
    EXPECT_TRUE(ReadEmpty->FData.empty());
}

TEST_F(Win32RegistryTest, ValueSizesAreToldForAnyTypeAndNotForMissingValues) {
    ASSERT_TRUE(FRegistry.CreateKey(FKey));
    const std::vector<std::uint8_t> Blob(200000, 0x5A); // larger than any record
    ASSERT_TRUE(FRegistry.WriteBinaryValue(FKey, u"Blob", Blob.data(), Blob.size()));
    ASSERT_TRUE(FRegistry.WriteDWordValue(FKey, u"Number", 7));
    EXPECT_EQ(FRegistry.ValueSize(FKey, u"BLOB"), std::optional<std::uint64_t>(Blob.size()));
    EXPECT_EQ(FRegistry.ValueSize(FKey, u"Number"), std::optional<std::uint64_t>(4));
    EXPECT_EQ(FRegistry.ValueSize(FKey, u"Missing"), std::nullopt);
    EXPECT_EQ(FRegistry.ValueSize(FKey + u"\\Missing", u"Blob"), std::nullopt);
}

TEST_F(Win32RegistryTest, RewritingAValueReplacesItsType) {
    ASSERT_TRUE(FRegistry.CreateKey(FKey));
    const std::uint8_t Bytes[] = {1, 2, 3};
    ASSERT_TRUE(FRegistry.WriteBinaryValue(FKey, u"ProfileID", Bytes, sizeof Bytes));
    ASSERT_TRUE(FRegistry.WriteDWordValue(FKey, u"ProfileID", 2));
    const auto Value = FRegistry.ReadValue(FKey, u"PROFILEID");
    ASSERT_TRUE(Value.has_value());
    EXPECT_EQ(Value->FType, TRegValueType::DWord);
    EXPECT_EQ(Value->FData, (std::vector<std::uint8_t>{2, 0, 0, 0}));
}

TEST_F(Win32RegistryTest, WritesToAMissingKeyFailWithoutCreatingIt) {
    const std::uint8_t Byte = 1;
    EXPECT_FALSE(FRegistry.WriteBinaryValue(FKey, u"Blob", &Byte, 1));
    EXPECT_FALSE(FRegistry.WriteDWordValue(FKey, u"Number", 1));
    HKEY Key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(FKey), 0, KEY_READ, &Key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(FRegistry.KeyExists(FKey));
}

TEST_F(Win32RegistryTest, MissingKeysAndValuesReadAsNothing) {
    EXPECT_FALSE(FRegistry.ReadValue(FKey, u"Blob").has_value());
    ASSERT_TRUE(FRegistry.CreateKey(FKey));
    EXPECT_FALSE(FRegistry.ReadValue(FKey, u"Blob").has_value());
}

} // namespace
} // namespace vanto::win32
