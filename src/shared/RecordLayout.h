#pragma once

// A description of every stored record shared with the configuration application, compiled from the
// record declarations themselves (offsetof and sizeof), for tools such as "vantoctl layout" and for
// tests.

#include <cstddef>
#include <span>
#include <string_view>

namespace vanto {

// One direct field of a record; an array is one field with its total size.
struct TFieldLayout {
    std::string_view FName;
    std::size_t FOffset;
    std::size_t FSize;
};

// One record with its direct fields in declaration order, padding included. The fields of a
// structure cover its bytes exactly; the fields of the union TProfileUIDData each cover all of it.
struct TRecordLayout {
    std::string_view FName;
    std::size_t FSize;
    std::span<const TFieldLayout> FFields;
};

// Every record, in the order of the stored format.
std::span<const TRecordLayout> RecordLayouts();

} // namespace vanto
