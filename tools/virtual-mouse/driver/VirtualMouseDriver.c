// A HID minidriver that presents the virtual mouse: two root-enumerated devnodes, one for each
// of the mouse's interfaces, and a control device through which tests push input reports and
// read what the host wrote.

#include "ControlRequests.h"
#include "HidRequests.h"
#include "Mouse.h"

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT ADriver, PUNICODE_STRING ARegistryPath);

// The class driver's handlers, which HidRegisterMinidriver put into the dispatch table.
static PDRIVER_DISPATCH ClassDispatch[IRP_MJ_MAXIMUM_FUNCTION + 1];
static PDEVICE_OBJECT ControlDevice;

static VOID NTAPI Unload(PDRIVER_OBJECT ADriver) {
    (void)ADriver;
    UNICODE_STRING Link;
    RtlInitUnicodeString(&Link, VMOUSE_CONTROL_LINK_NAME);
    IoDeleteSymbolicLink(&Link);
    if (ControlDevice != NULL) {
        IoDeleteDevice(ControlDevice);
        ControlDevice = NULL;
    }
    MouseFinalize();
}

static NTSTATUS NTAPI Route(PDEVICE_OBJECT ADevice, PIRP AIrp) {
    if (ADevice == ControlDevice) {
        return ControlRequest(ADevice, AIrp);
    }
    return ClassDispatch[IoGetCurrentIrpStackLocation(AIrp)->MajorFunction](ADevice, AIrp);
}

// ---- Plug and play: the devnodes pass everything on to the root enumerator below them ----
// The class driver calls these with its functional device, and deletes that device itself after
// a removal.

static PDEVICE_OBJECT LowerDevice(PDEVICE_OBJECT AFunctionalDevice) {
    return ((PHID_DEVICE_EXTENSION)AFunctionalDevice->DeviceExtension)->NextDeviceObject;
}

static NTSTATUS NTAPI PlugAndPlay(PDEVICE_OBJECT ADevice, PIRP AIrp) {
    const uint32_t Collection = CollectionOfDevice(ADevice);
    const UCHAR Minor = IoGetCurrentIrpStackLocation(AIrp)->MinorFunction;
    switch (Minor) {
    case IRP_MN_START_DEVICE:
        MouseCollectionStarted(Collection, ADevice);
        break;
    case IRP_MN_SURPRISE_REMOVAL:
    case IRP_MN_REMOVE_DEVICE:
        MouseCollectionGone(Collection);
        break;
    default:
        break;
    }
    IoSkipCurrentIrpStackLocation(AIrp);
    return IoCallDriver(LowerDevice(ADevice), AIrp);
}

static NTSTATUS NTAPI Power(PDEVICE_OBJECT ADevice, PIRP AIrp) {
    PoStartNextPowerIrp(AIrp);
    IoSkipCurrentIrpStackLocation(AIrp);
    return PoCallDriver(LowerDevice(ADevice), AIrp);
}

// Which interface a devnode is follows from its hardware id: the installer gives the vendor
// interface the one that ends in MI_01.
static uint32_t CollectionOfDevnode(PDEVICE_OBJECT APhysicalDevice) {
    WCHAR Ids[128];
    ULONG Size = 0;
    const NTSTATUS Status =
        IoGetDeviceProperty(APhysicalDevice, DevicePropertyHardwareID, sizeof(Ids), Ids, &Size);
    if (!NT_SUCCESS(Status)) {
        return VMOUSE_POINTER;
    }
    const ULONG Count = Size / sizeof(WCHAR);
    for (ULONG Index = 0; Index + 5 <= Count; ++Index) {
        if (Ids[Index] == L'M' && Ids[Index + 1] == L'I' && Ids[Index + 2] == L'_' &&
            Ids[Index + 3] == L'0' && Ids[Index + 4] == L'1') {
            return VMOUSE_VENDOR;
        }
    }
    return VMOUSE_POINTER;
}

static NTSTATUS NTAPI AddDevice(PDRIVER_OBJECT ADriver, PDEVICE_OBJECT AFunctionalDevice) {
    (void)ADriver;
    const PHID_DEVICE_EXTENSION Hid = AFunctionalDevice->DeviceExtension;
    const uint32_t Collection = CollectionOfDevnode(Hid->PhysicalDeviceObject);
    ((TMiniExtension*)Hid->MiniDeviceExtension)->FCollection = Collection;
    AFunctionalDevice->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static NTSTATUS CreateControlDevice(PDRIVER_OBJECT ADriver) {
    UNICODE_STRING Name;
    UNICODE_STRING Link;
    RtlInitUnicodeString(&Name, VMOUSE_CONTROL_DEVICE_NAME);
    RtlInitUnicodeString(&Link, VMOUSE_CONTROL_LINK_NAME);
    NTSTATUS Status =
        IoCreateDevice(ADriver, 0, &Name, FILE_DEVICE_UNKNOWN, 0, FALSE, &ControlDevice);
    if (!NT_SUCCESS(Status)) {
        ControlDevice = NULL;
        return Status;
    }
    Status = IoCreateSymbolicLink(&Link, &Name);
    if (!NT_SUCCESS(Status)) {
        IoDeleteDevice(ControlDevice);
        ControlDevice = NULL;
        return Status;
    }
    ControlDevice->Flags |= DO_BUFFERED_IO;
    ControlDevice->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT ADriver, PUNICODE_STRING ARegistryPath) {
    MouseInitialize();
    ADriver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = HidRequest;
    ADriver->MajorFunction[IRP_MJ_PNP] = PlugAndPlay;
    ADriver->MajorFunction[IRP_MJ_POWER] = Power;
    ADriver->DriverExtension->AddDevice = AddDevice;
    ADriver->DriverUnload = Unload;

    HID_MINIDRIVER_REGISTRATION Registration = {0};
    Registration.Revision = HID_REVISION;
    Registration.DriverObject = ADriver;
    Registration.RegistryPath = ARegistryPath;
    Registration.DeviceExtensionSize = sizeof(TMiniExtension);
    Registration.DevicesArePolled = FALSE;
    NTSTATUS Status = HidRegisterMinidriver(&Registration);
    if (!NT_SUCCESS(Status)) {
        MouseFinalize();
        return Status;
    }
    // The class driver now owns the table; the control device's requests are taken out of it
    // before they reach the class driver, which knows nothing of that device.
    for (ULONG Major = 0; Major <= IRP_MJ_MAXIMUM_FUNCTION; ++Major) {
        ClassDispatch[Major] = ADriver->MajorFunction[Major];
        ADriver->MajorFunction[Major] = Route;
    }
    // Without its control device the mouse could not be driven: better not to load at all.
    return CreateControlDevice(ADriver);
}
