#pragma once

// The mouse's feature-report protocol and memory map, as the monitor writes them.

#include "shared/pubunit_quorvin.h"

#include <cstddef>
#include <cstdint>

namespace vanto {

// Command codes of the mouse's feature reports.
inline constexpr std::uint8_t DEVICE_COMMAND_WRITE_MEMORY = 2;
inline constexpr std::uint8_t DEVICE_COMMAND_MODE = 6;
// Mode 0 opens an upload, mode 1 makes the written memory the bank's configuration.
inline constexpr std::uint8_t DEVICE_MODE_UPLOAD = 0;
inline constexpr std::uint8_t DEVICE_MODE_RUN = 1;

// ID, command and six argument bytes come before the payload of every report.
inline constexpr std::size_t DEVICE_REPORT_HEADER_SIZE = 8;
inline constexpr std::size_t DEVICE_MAX_WRITE_LENGTH = 2048;

// The mouse's memory map. Bank 1 lies 2304 bytes above bank 0.
inline constexpr std::size_t DEVICE_BANK_COUNT = 2;
inline constexpr std::uint16_t DEVICE_BANK_DISTANCE = 2304;
inline constexpr std::uint16_t DEVICE_BUTTON_TABLE_ADDRESS = 144;
inline constexpr std::uint16_t DEVICE_MACRO_SLOT_ADDRESS = 209;
inline constexpr std::size_t DEVICE_MACRO_SLOT_COUNT = 5;
inline constexpr std::size_t DEVICE_STEP_SIZE = 3;
// The mouse counts a delay step in units of 10 ms.
inline constexpr std::uint32_t DEVICE_DELAY_UNIT_MS = 10;
inline constexpr std::size_t DEVICE_MACRO_BLOCK_SIZE = MACRO_STEP_COUNT * DEVICE_STEP_SIZE; // 384
inline constexpr std::size_t DEVICE_BUTTON_TABLE_SIZE = 65;
inline constexpr std::size_t DEVICE_BUTTON_ENTRY_SIZE = 4;

// The upload always sends ten buttons, and gives the tenth this parameterless function.
inline constexpr std::int32_t DEVICE_UPLOAD_BUTTON_COUNT = 10;
inline constexpr std::int32_t DEVICE_FUNCTION_NO_PARAMETER = 13;
inline constexpr std::int32_t DEVICE_FUNCTION_MACRO = 17;

} // namespace vanto
