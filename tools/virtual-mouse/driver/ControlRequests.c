#include "ControlRequests.h"

#include "Mouse.h"

#include <stddef.h>

static NTSTATUS Complete(PIRP AIrp, NTSTATUS AStatus, ULONG_PTR AInformation) {
    AIrp->IoStatus.Status = AStatus;
    AIrp->IoStatus.Information = NT_SUCCESS(AStatus) ? AInformation : 0;
    IoCompleteRequest(AIrp, IO_NO_INCREMENT);
    return AStatus;
}

static NTSTATUS Control(PIRP AIrp) {
    const PIO_STACK_LOCATION Stack = IoGetCurrentIrpStackLocation(AIrp);
    const ULONG In = Stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG Out = Stack->Parameters.DeviceIoControl.OutputBufferLength;
    void* Buffer = AIrp->AssociatedIrp.SystemBuffer;
    switch (Stack->Parameters.DeviceIoControl.IoControlCode) {
    case VMOUSE_PUSH_INPUT_REPORT: {
        const TVmouseInputReport* Report = Buffer;
        if (In < sizeof(*Report)) {
            return Complete(AIrp, STATUS_INVALID_PARAMETER, 0);
        }
        return Complete(AIrp, MousePushReport(Report->FCollection, Report->FBytes, Report->FLength),
                        0);
    }
    case VMOUSE_GET_STATUS:
        if (Out < sizeof(TVmouseStatus)) {
            return Complete(AIrp, STATUS_BUFFER_TOO_SMALL, 0);
        }
        MouseStatus(Buffer);
        return Complete(AIrp, STATUS_SUCCESS, sizeof(TVmouseStatus));
    case VMOUSE_GET_FEATURE_REPORT: {
        if (In < sizeof(uint32_t) || Out < sizeof(TVmouseFeatureRecord)) {
            return Complete(AIrp, STATUS_BUFFER_TOO_SMALL, 0);
        }
        const uint32_t Index = *(const uint32_t*)Buffer;
        ULONG Size = 0;
        const NTSTATUS Status = MouseFeatureRecord(Index, Buffer, &Size);
        return Complete(AIrp, Status, Size);
    }
    case VMOUSE_FAULT_FEATURE_WRITES: {
        const TVmouseFeatureFault* Fault = Buffer;
        // A minute at most: a fault is there to slow the host down, not to hang it.
        if (In < sizeof(*Fault) || Fault->FDelayMs > 60000) {
            return Complete(AIrp, STATUS_INVALID_PARAMETER, 0);
        }
        MouseFaultFeatureWrites(Fault);
        return Complete(AIrp, STATUS_SUCCESS, 0);
    }
    case VMOUSE_GET_BANK: {
        if (In < sizeof(uint32_t) || Out < sizeof(TVmouseBank)) {
            return Complete(AIrp, STATUS_BUFFER_TOO_SMALL, 0);
        }
        const uint32_t Bank = *(const uint32_t*)Buffer;
        if (!MouseBank(Bank, Buffer)) {
            return Complete(AIrp, STATUS_INVALID_PARAMETER, 0);
        }
        return Complete(AIrp, STATUS_SUCCESS, sizeof(TVmouseBank));
    }
    case VMOUSE_RESET:
        MouseReset();
        return Complete(AIrp, STATUS_SUCCESS, 0);
    default:
        return Complete(AIrp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

NTSTATUS ControlRequest(PDEVICE_OBJECT ADevice, PIRP AIrp) {
    (void)ADevice;
    switch (IoGetCurrentIrpStackLocation(AIrp)->MajorFunction) {
    case IRP_MJ_CREATE:
    case IRP_MJ_CLEANUP:
    case IRP_MJ_CLOSE:
        return Complete(AIrp, STATUS_SUCCESS, 0);
    case IRP_MJ_DEVICE_CONTROL:
        return Control(AIrp);
    default:
        return Complete(AIrp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}
