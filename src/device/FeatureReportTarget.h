#pragma once

#include "device/uiHIDData.h"

#include <cstdint>

namespace vanto {

// Where the device encoders send their feature reports. The monitor sends through its HID
// component; a command-line tool or a test can take the same reports without a mouse.
class IFeatureReportTarget {
public:
    virtual ~IFeatureReportTarget() = default;
    // ReportData.Data holds the whole report from ReportID on; DATASIZE counts the ID byte.
    virtual std::uint32_t HidFindAndSetFeatureReport(const THIDDataParam& ReportData) = 0;
};

class TuiHIDDataTarget : public IFeatureReportTarget {
public:
    explicit TuiHIDDataTarget(TuiHIDData& AHIDData) : FHIDData(AHIDData) {}

    std::uint32_t HidFindAndSetFeatureReport(const THIDDataParam& ReportData) override {
        return FHIDData.HidFindAndSetFeatureReport(ReportData);
    }

private:
    TuiHIDData& FHIDData;
};

} // namespace vanto
