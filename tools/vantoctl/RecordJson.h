#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vanto::ctl {

// Prints a stored record as JSON, told apart by its size: a profile, a setting group or an
// all-settings record. Regions the monitor does not interpret are left out. False when the
// size is none of these.
bool PrintRecordAsJson(std::span<const std::uint8_t> ABytes, std::ostream& AOut);

// JSON that names a value the record cannot hold or the monitor would misread, or that is not
// the text of a record at all. The message starts with the JSON path ("ConfigInfo.ButtonCount:
// 16 is out of range 0..15").
class ERecordRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The inverse of PrintRecordAsJson: the record whose text AJson is. Every byte the text does not
// carry is taken from ABase, which must then be a record of the same kind; an empty ABase stands
// for zeros. Throws EJsonSyntax or ERecordRefused.
std::vector<std::uint8_t> BuildRecordFromJson(std::string_view AJson,
                                              std::span<const std::uint8_t> ABase);

// "profile (109816 bytes)" and so on; empty for a size that is no record.
std::string RecordKindOfSize(std::size_t ASize);
// Why a file of ASize bytes is none of the records; none when it is one.
std::optional<std::string> NotARecordSize(std::uintmax_t ASize);

} // namespace vanto::ctl
