#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vanto::ctl {

// One JSON value as read. Strings are UTF-16, as the records keep text: a \uXXXX escape is one
// unit, so a lone surrogate that "dump" escaped reads back as the same unit. Numbers keep their
// text, so each field decides what it accepts.
struct TJsonValue {
    enum class TKind { Null, Boolean, Number, String, Array, Object };

    TKind FKind = TKind::Null;
    bool FBoolean = false;
    std::string FNumber;
    std::u16string FString;
    std::vector<TJsonValue> FItems;
    std::vector<std::pair<std::string, TJsonValue>> FMembers;

    const TJsonValue* Member(std::string_view AKey) const;
};

// A text that is not JSON: the message names line and column.
class EJsonSyntax : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole text must be one value. Member names are ASCII-compatible UTF-8; a name twice in one
// object is refused, since which one counts would be a guess.
TJsonValue ParseJson(std::string_view AText);

} // namespace vanto::ctl
