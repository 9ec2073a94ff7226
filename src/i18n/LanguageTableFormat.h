#pragma once

#include "i18n/LanguageLines.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vanto {

// One language of a translation table: its short id ("CH") and its lines.
struct TLanguageResource {
    std::u16string FId;
    TLanguageLines FLines;
    friend bool operator==(const TLanguageResource&, const TLanguageResource&) = default;
};

// A translation table as it is stored, in the stored order.
struct TLanguageTable {
    std::vector<std::u16string> FSourceStrings;
    std::vector<TLanguageResource> FLanguages;
    friend bool operator==(const TLanguageTable&, const TLanguageTable&) = default;
};

// The stored format: 32-bit signed little-endian integers and UTF-16LE strings, each string a
// count of code units followed by them. In order: the source list (one string, each source
// string followed by CR LF), the number of languages, then per language its id and its lines
// (one string, "source=translation" followed by CR LF each).
//
// Anyone can put such a file beside the monitor, so nothing in it is trusted: a count or length
// that is negative or reaches past the end, a line without "=", or bytes left over make the
// whole table unreadable, and nothing is allocated beyond what the bytes at hand can fill.
std::optional<TLanguageTable> ReadLanguageTable(std::span<const std::uint8_t> ABytes);
std::vector<std::uint8_t> WriteLanguageTable(const TLanguageTable& ATable);

// The position of the first language with that id, upper and lower case alike; -1 when none.
int IndexOfLanguage(const std::vector<TLanguageResource>& ALanguages, std::u16string_view AId);

} // namespace vanto
