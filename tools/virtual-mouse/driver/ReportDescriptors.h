#pragma once

// The report descriptors of the mouse's two interfaces.

#include <stdint.h>

typedef struct TReportDescriptor {
    const uint8_t* FBytes;
    uint16_t FSize;
} TReportDescriptor;

// ACollection is VMOUSE_POINTER or VMOUSE_VENDOR.
TReportDescriptor ReportDescriptorOf(uint32_t ACollection);
