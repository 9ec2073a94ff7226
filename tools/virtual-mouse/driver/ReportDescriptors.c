#include "ReportDescriptors.h"

#include "../VirtualMouseControl.h"

// The pointer a system reads, as a boot mouse declares it: five buttons, X, Y and the wheel,
// without report IDs.
static const uint8_t PointerDescriptor[] = {
    0x05, 0x01, // Usage Page (Generic Desktop)
    0x09, 0x02, // Usage (Mouse)
    0xA1, 0x01, // Collection (Application)
    0x09, 0x01, //   Usage (Pointer)
    0xA1, 0x00, //   Collection (Physical)
    0x05, 0x09, //     Usage Page (Button)
    0x19, 0x01, //     Usage Minimum (1)
    0x29, 0x05, //     Usage Maximum (5)
    0x15, 0x00, //     Logical Minimum (0)
    0x25, 0x01, //     Logical Maximum (1)
    0x95, 0x05, //     Report Count (5)
    0x75, 0x01, //     Report Size (1)
    0x81, 0x02, //     Input (Data, Variable, Absolute)
    0x95, 0x01, //     Report Count (1)
    0x75, 0x03, //     Report Size (3)
    0x81, 0x01, //     Input (Constant)
    0x05, 0x01, //     Usage Page (Generic Desktop)
    0x09, 0x30, //     Usage (X)
    0x09, 0x31, //     Usage (Y)
    0x09, 0x38, //     Usage (Wheel)
    0x15, 0x81, //     Logical Minimum (-127)
    0x25, 0x7F, //     Logical Maximum (127)
    0x75, 0x08, //     Report Size (8)
    0x95, 0x03, //     Report Count (3)
    0x81, 0x06, //     Input (Data, Variable, Relative)
    0xC0,       //   End Collection
    0xC0,       // End Collection
};

// The vendor collection the monitor talks to: input reports 7 (buttons) and 8 (profile) of 7
// bytes, feature reports 2 to 6 of 16, 64, 1024, 2048 and 4096 bytes with their ID.
static const uint8_t VendorDescriptor[] = {
    0x06, 0xA0, 0xFF, // Usage Page (0xFFA0)
    0x09, 0x01,       // Usage (1)
    0xA1, 0x01,       // Collection (Application)
    0x15, 0x00,       //   Logical Minimum (0)
    0x26, 0xFF, 0x00, //   Logical Maximum (255)
    0x75, 0x08,       //   Report Size (8)
    0x85, 0x07,       //   Report ID (7)
    0x09, 0x02,       //   Usage (2)
    0x95, 0x07,       //   Report Count (7)
    0x81, 0x02,       //   Input (Data, Variable, Absolute)
    0x85, 0x08,       //   Report ID (8)
    0x09, 0x03,       //   Usage (3)
    0x95, 0x07,       //   Report Count (7)
    0x81, 0x02,       //   Input (Data, Variable, Absolute)
    0x85, 0x02,       //   Report ID (2)
    0x09, 0x04,       //   Usage (4)
    0x95, 0x0F,       //   Report Count (15)
    0xB1, 0x02,       //   Feature (Data, Variable, Absolute)
    0x85, 0x03,       //   Report ID (3)
    0x09, 0x05,       //   Usage (5)
    0x95, 0x3F,       //   Report Count (63)
    0xB1, 0x02,       //   Feature (Data, Variable, Absolute)
    0x85, 0x04,       //   Report ID (4)
    0x09, 0x06,       //   Usage (6)
    0x96, 0xFF, 0x03, //   Report Count (1023)
    0xB1, 0x02,       //   Feature (Data, Variable, Absolute)
    0x85, 0x05,       //   Report ID (5)
    0x09, 0x07,       //   Usage (7)
    0x96, 0xFF, 0x07, //   Report Count (2047)
    0xB1, 0x02,       //   Feature (Data, Variable, Absolute)
    0x85, 0x06,       //   Report ID (6)
    0x09, 0x08,       //   Usage (8)
    0x96, 0xFF, 0x0F, //   Report Count (4095)
    0xB1, 0x02,       //   Feature (Data, Variable, Absolute)
    0xC0,             // End Collection
};

TReportDescriptor ReportDescriptorOf(uint32_t ACollection) {
    if (ACollection == VMOUSE_VENDOR) {
        return (TReportDescriptor){VendorDescriptor, sizeof(VendorDescriptor)};
    }
    return (TReportDescriptor){PointerDescriptor, sizeof(PointerDescriptor)};
}
