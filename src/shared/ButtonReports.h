#pragma once

#include "platform/Types.h"

#include <array>
#include <cstdint>
#include <optional>

namespace vanto {

// Row k is the whole report the mouse sends when button k is pressed: report ID 7, then a
// 24-bit little-endian mask with only bit k set.
using TButtonReportCode = std::array<std::uint8_t, 4>;
extern const std::array<TButtonReportCode, 24> ButtonReportCodes;

inline constexpr std::uint8_t BUTTON_REPORT_ID = 7;
inline constexpr std::uint8_t PROFILE_REPORT_ID = 8;
inline constexpr std::uint16_t DECODED_PAYLOAD_SIZE = 7;
// A report is copied into a buffer of the report ID plus 64 payload bytes before decoding.
inline constexpr std::size_t REPORT_COPY_SIZE = 65;

// wParam values of WM_BUTTON_EVENT for the two profile selections; key indices 21 and 22
// share them, so a press of either selects a profile just as report 8 does.
inline constexpr platform::TWParam PROFILE_0_SELECTED = 21;
inline constexpr platform::TWParam PROFILE_1_SELECTED = 22;

struct TButtonEvent {
    platform::TWParam FWParam = 0;
    platform::TLParam FLParam = 0;
    friend bool operator==(const TButtonEvent&, const TButtonEvent&) = default;
};

// The WM_BUTTON_EVENT that one input report asks for, or nothing. ASize is the payload length
// without the report ID.
std::optional<TButtonEvent> DecodeInputReport(std::uint8_t AReportID, const std::uint8_t* AData,
                                              std::uint16_t ASize);

} // namespace vanto
