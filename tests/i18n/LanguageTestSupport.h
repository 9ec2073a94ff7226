#pragma once

#include "i18n/LanguageTableFormat.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vanto::test {

// Stored-format bytes put together field by field, for tables no writer would make.
class TTableBytes {
public:
    TTableBytes& Integer(std::int32_t AValue) {
        const auto Value = static_cast<std::uint32_t>(AValue);
        for (int Shift = 0; Shift < 32; Shift += 8) {
            FBytes.push_back(static_cast<std::uint8_t>(Value >> Shift));
        }
        return *this;
    }
    TTableBytes& Units(std::u16string_view AText) {
        for (char16_t Unit : AText) {
            FBytes.push_back(static_cast<std::uint8_t>(Unit & 0xFF));
            FBytes.push_back(static_cast<std::uint8_t>(Unit >> 8));
        }
        return *this;
    }
    TTableBytes& String(std::u16string_view AText) {
        return Integer(static_cast<std::int32_t>(AText.size())).Units(AText);
    }
    TTableBytes& Byte(std::uint8_t AByte) {
        FBytes.push_back(AByte);
        return *this;
    }
    const std::vector<std::uint8_t>& Bytes() const { return FBytes; }

private:
    std::vector<std::uint8_t> FBytes;
};

// A table of one or more languages in the stored format.
inline std::vector<std::uint8_t> StoredTable(std::vector<std::u16string> ASources,
                                             std::vector<TLanguageResource> ALanguages) {
    return WriteLanguageTable({std::move(ASources), std::move(ALanguages)});
}

} // namespace vanto::test
