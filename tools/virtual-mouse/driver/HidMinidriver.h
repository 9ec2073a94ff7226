#pragma once

// What a HID minidriver and the HID class driver share, as the Windows Driver Kit documents it.
// mingw-w64 has no hidport.h, and its hidclass.h carries placeholders for these codes, so the
// driver declares them itself and leaves that header out.

#include <ddk/wdm.h>

#define VMOUSE_HID_CODE(Id, Method) CTL_CODE(FILE_DEVICE_KEYBOARD, (Id), (Method), FILE_ANY_ACCESS)

#define IOCTL_HID_GET_DEVICE_DESCRIPTOR VMOUSE_HID_CODE(0, METHOD_NEITHER)
#define IOCTL_HID_GET_REPORT_DESCRIPTOR VMOUSE_HID_CODE(1, METHOD_NEITHER)
#define IOCTL_HID_READ_REPORT VMOUSE_HID_CODE(2, METHOD_NEITHER)
#define IOCTL_HID_WRITE_REPORT VMOUSE_HID_CODE(3, METHOD_NEITHER)
#define IOCTL_HID_GET_STRING VMOUSE_HID_CODE(4, METHOD_NEITHER)
#define IOCTL_HID_ACTIVATE_DEVICE VMOUSE_HID_CODE(7, METHOD_NEITHER)
#define IOCTL_HID_DEACTIVATE_DEVICE VMOUSE_HID_CODE(8, METHOD_NEITHER)
#define IOCTL_HID_GET_DEVICE_ATTRIBUTES VMOUSE_HID_CODE(9, METHOD_NEITHER)
#define IOCTL_HID_SET_FEATURE VMOUSE_HID_CODE(100, METHOD_IN_DIRECT)
#define IOCTL_HID_GET_FEATURE VMOUSE_HID_CODE(100, METHOD_OUT_DIRECT)
#define IOCTL_HID_SET_OUTPUT_REPORT VMOUSE_HID_CODE(101, METHOD_IN_DIRECT)
#define IOCTL_HID_GET_INPUT_REPORT VMOUSE_HID_CODE(104, METHOD_OUT_DIRECT)

#define HID_REVISION 0x00000001

// String ids: Windows asks with 14/15/16, Wine with 1/2/3.
#define HID_STRING_ID_IMANUFACTURER 14
#define HID_STRING_ID_IPRODUCT 15
#define HID_STRING_ID_ISERIALNUMBER 16

typedef struct _HID_MINIDRIVER_REGISTRATION {
    ULONG Revision;
    PDRIVER_OBJECT DriverObject;
    PUNICODE_STRING RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
} HID_MINIDRIVER_REGISTRATION, *PHID_MINIDRIVER_REGISTRATION;

// At the start of every device extension of the minidriver's devices; the class driver fills it.
typedef struct _HID_DEVICE_EXTENSION {
    PDEVICE_OBJECT PhysicalDeviceObject;
    PDEVICE_OBJECT NextDeviceObject;
    PVOID MiniDeviceExtension;
} HID_DEVICE_EXTENSION, *PHID_DEVICE_EXTENSION;

typedef struct _HID_DEVICE_ATTRIBUTES {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
} HID_DEVICE_ATTRIBUTES, *PHID_DEVICE_ATTRIBUTES;

#pragma pack(push, 1)
typedef struct _HID_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    struct {
        UCHAR bReportType;
        USHORT wReportLength;
    } DescriptorList[1];
} HID_DESCRIPTOR, *PHID_DESCRIPTOR;
#pragma pack(pop)

_Static_assert(sizeof(HID_DESCRIPTOR) == 9, "the HID descriptor is 9 bytes on the wire");

typedef struct _HID_XFER_PACKET {
    PUCHAR reportBuffer;
    ULONG reportBufferLen;
    UCHAR reportId;
} HID_XFER_PACKET, *PHID_XFER_PACKET;

NTSTATUS NTAPI HidRegisterMinidriver(PHID_MINIDRIVER_REGISTRATION MinidriverRegistration);
