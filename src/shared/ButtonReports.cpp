#include "shared/ButtonReports.h"

#include <algorithm>
#include <cstring>

namespace vanto {

namespace {

constexpr std::array<TButtonReportCode, 24> MakeButtonReportCodes() {
    std::array<TButtonReportCode, 24> Rows{};
    for (std::size_t K = 0; K < Rows.size(); ++K) {
        Rows[K] = {BUTTON_REPORT_ID, 0, 0, 0};
        Rows[K][1 + K / 8] = static_cast<std::uint8_t>(1u << (K % 8));
    }
    return Rows;
}

std::optional<TButtonEvent>
DecodeButtonMask(const std::array<std::uint8_t, REPORT_COPY_SIZE>& ABuffer) {
    for (std::size_t K = 0; K < ButtonReportCodes.size(); ++K) {
        if (std::equal(ButtonReportCodes[K].begin() + 1, ButtonReportCodes[K].end(),
                       ABuffer.begin() + 1)) {
            return TButtonEvent{K, 1};
        }
    }
    return std::nullopt; // no bit or several bits, as in the release report
}

std::optional<TButtonEvent>
DecodeProfileSelection(const std::array<std::uint8_t, REPORT_COPY_SIZE>& ABuffer) {
    if (ABuffer[1] != 1) {
        return std::nullopt;
    }
    switch (ABuffer[2]) {
    case 0:
        return TButtonEvent{PROFILE_0_SELECTED, 0};
    case 1:
        return TButtonEvent{PROFILE_1_SELECTED, 0};
    default:
        return std::nullopt;
    }
}

} // namespace

const std::array<TButtonReportCode, 24> ButtonReportCodes = MakeButtonReportCodes();

std::optional<TButtonEvent> DecodeInputReport(std::uint8_t AReportID, const std::uint8_t* AData,
                                              std::uint16_t ASize) {
    // A payload longer than the copy buffer cannot be one of ours; never copy past its end.
    if (ASize > REPORT_COPY_SIZE - 1 || (ASize != 0 && AData == nullptr)) {
        return std::nullopt;
    }
    std::array<std::uint8_t, REPORT_COPY_SIZE> Buffer{};
    Buffer[0] = AReportID;
    if (ASize != 0) {
        std::memcpy(Buffer.data() + 1, AData, ASize);
    }
    if (ASize != DECODED_PAYLOAD_SIZE) {
        return std::nullopt;
    }
    if (AReportID == BUTTON_REPORT_ID) {
        return DecodeButtonMask(Buffer);
    }
    if (AReportID == PROFILE_REPORT_ID) {
        return DecodeProfileSelection(Buffer);
    }
    return std::nullopt;
}

} // namespace vanto
