#include "HidRequests.h"

#include "Mouse.h"
#include "ReportDescriptors.h"

static const WCHAR Manufacturer[] = L"Vanto";
static const WCHAR Product[] = L"Vanto Gaming Mouse (virtual)";
static const WCHAR SerialNumber[] = L"VM0001";

static NTSTATUS Complete(PIRP AIrp, NTSTATUS AStatus, ULONG_PTR AInformation) {
    AIrp->IoStatus.Status = AStatus;
    AIrp->IoStatus.Information = NT_SUCCESS(AStatus) ? AInformation : 0;
    IoCompleteRequest(AIrp, IO_NO_INCREMENT);
    return AStatus;
}

static NTSTATUS CopyOut(PIRP AIrp, const void* AData, ULONG ASize) {
    const PIO_STACK_LOCATION Stack = IoGetCurrentIrpStackLocation(AIrp);
    if (AIrp->UserBuffer == NULL || Stack->Parameters.DeviceIoControl.OutputBufferLength < ASize) {
        return Complete(AIrp, STATUS_BUFFER_TOO_SMALL, 0);
    }
    const UCHAR* From = AData;
    UCHAR* To = AIrp->UserBuffer;
    for (ULONG Index = 0; Index < ASize; ++Index) {
        To[Index] = From[Index];
    }
    return Complete(AIrp, STATUS_SUCCESS, ASize);
}

static NTSTATUS DeviceDescriptor(PIRP AIrp, uint32_t ACollection) {
    const TReportDescriptor Report = ReportDescriptorOf(ACollection);
    HID_DESCRIPTOR Descriptor = {0};
    Descriptor.bLength = sizeof(Descriptor);
    Descriptor.bDescriptorType = 0x21; // HID
    Descriptor.bcdHID = 0x0111;
    Descriptor.bNumDescriptors = 1;
    Descriptor.DescriptorList[0].bReportType = 0x22; // report descriptor
    Descriptor.DescriptorList[0].wReportLength = Report.FSize;
    return CopyOut(AIrp, &Descriptor, sizeof(Descriptor));
}

static NTSTATUS Attributes(PIRP AIrp) {
    HID_DEVICE_ATTRIBUTES Attributes = {0};
    Attributes.Size = sizeof(Attributes);
    Attributes.VendorID = VMOUSE_VENDOR_ID;
    Attributes.ProductID = VMOUSE_PRODUCT_ID;
    Attributes.VersionNumber = VMOUSE_VERSION_NUMBER;
    return CopyOut(AIrp, &Attributes, sizeof(Attributes));
}

// The string id comes in the input pointer itself, the language above it.
static NTSTATUS String(PIRP AIrp) {
    const PIO_STACK_LOCATION Stack = IoGetCurrentIrpStackLocation(AIrp);
    const ULONG Id = (ULONG)(ULONG_PTR)Stack->Parameters.DeviceIoControl.Type3InputBuffer & 0xFFFF;
    switch (Id) {
    case 1:
    case HID_STRING_ID_IMANUFACTURER:
        return CopyOut(AIrp, Manufacturer, sizeof(Manufacturer));
    case 2:
    case HID_STRING_ID_IPRODUCT:
        return CopyOut(AIrp, Product, sizeof(Product));
    case 3:
    case HID_STRING_ID_ISERIALNUMBER:
        return CopyOut(AIrp, SerialNumber, sizeof(SerialNumber));
    default:
        return Complete(AIrp, STATUS_INVALID_PARAMETER, 0);
    }
}

// The packet carries the whole report, ID byte first, at the length the descriptor declares.
static NTSTATUS SetFeature(PIRP AIrp, uint32_t ACollection) {
    const HID_XFER_PACKET* Packet = AIrp->UserBuffer;
    if (Packet == NULL || ACollection != VMOUSE_VENDOR || Packet->reportBuffer == NULL ||
        Packet->reportBufferLen == 0 || Packet->reportBufferLen > VMOUSE_LONGEST_FEATURE_REPORT ||
        Packet->reportBuffer[0] != Packet->reportId) {
        return Complete(AIrp, STATUS_INVALID_PARAMETER, 0);
    }
    const NTSTATUS Status = MouseTakeFeatureReport(Packet->reportBuffer, Packet->reportBufferLen);
    return Complete(AIrp, Status, Packet->reportBufferLen);
}

NTSTATUS NTAPI HidRequest(PDEVICE_OBJECT ADevice, PIRP AIrp) {
    const PIO_STACK_LOCATION Stack = IoGetCurrentIrpStackLocation(AIrp);
    const uint32_t Collection = CollectionOfDevice(ADevice);
    switch (Stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_HID_GET_DEVICE_DESCRIPTOR:
        return DeviceDescriptor(AIrp, Collection);
    case IOCTL_HID_GET_REPORT_DESCRIPTOR: {
        const TReportDescriptor Report = ReportDescriptorOf(Collection);
        return CopyOut(AIrp, Report.FBytes, Report.FSize);
    }
    case IOCTL_HID_GET_DEVICE_ATTRIBUTES:
        return Attributes(AIrp);
    case IOCTL_HID_GET_STRING:
        return String(AIrp);
    case IOCTL_HID_READ_REPORT:
        return MouseClassRead(Collection, AIrp);
    case IOCTL_HID_SET_FEATURE:
        return SetFeature(AIrp, Collection);
    case IOCTL_HID_ACTIVATE_DEVICE:
    case IOCTL_HID_DEACTIVATE_DEVICE:
        return Complete(AIrp, STATUS_SUCCESS, 0);
    default:
        // The mouse answers no reads of its feature or input reports and has no output report.
        return Complete(AIrp, STATUS_NOT_SUPPORTED, 0);
    }
}
