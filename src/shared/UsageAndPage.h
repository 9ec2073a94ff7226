#pragma once

#include <cstdint>

namespace vanto {

// The address of a HID top-level collection.
struct USAGE_AND_PAGE {
    std::uint16_t Usage = 0;
    std::uint16_t UsagePage = 0;

    constexpr std::uint32_t AsInteger() const { return std::uint32_t{UsagePage} * 65536u + Usage; }
    friend constexpr bool operator==(const USAGE_AND_PAGE&, const USAGE_AND_PAGE&) = default;
};

// The mouse's vendor collection: every report the monitor reads or writes goes through it.
inline constexpr USAGE_AND_PAGE VANTO_MOUSE_COLLECTION{0x0001, 0xFFA0};

static_assert(VANTO_MOUSE_COLLECTION.AsInteger() == 0xFFA00001);

} // namespace vanto
