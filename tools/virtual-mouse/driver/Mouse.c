#include "Mouse.h"

#include <stddef.h>

typedef struct TFeatureLogEntry {
    uint32_t FLength;
    int32_t FStatus;
    uint32_t FReading;
    uint8_t FBytes[];
} TFeatureLogEntry;

static struct {
    KSPIN_LOCK FLock;
    TCollection FCollections[VMOUSE_COLLECTIONS];
    TMouseMemory FMemory;
    // FEATURE_LOG_LIMIT entries; null when the pool had no room for it.
    TFeatureLogEntry** FLog;
    uint32_t FLogged;
    uint32_t FFeatureReports;
    uint32_t FUnlogged;
    uint32_t FRefused;
    TVmouseFeatureFault FFault;
} Mouse;

static TFeatureLogEntry** NewLog(void) {
    return ExAllocatePoolWithTag(NonPagedPool, FEATURE_LOG_LIMIT * sizeof(TFeatureLogEntry*),
                                 VMOUSE_POOL_TAG);
}

static void FreeLog(TFeatureLogEntry** ALog, uint32_t ALogged) {
    if (ALog == NULL) {
        return;
    }
    for (uint32_t Index = 0; Index < ALogged; ++Index) {
        ExFreePoolWithTag(ALog[Index], VMOUSE_POOL_TAG);
    }
    ExFreePoolWithTag(ALog, VMOUSE_POOL_TAG);
}

void MouseInitialize(void) {
    KeInitializeSpinLock(&Mouse.FLock);
    Mouse.FLog = NewLog();
    for (uint32_t Collection = 0; Collection < VMOUSE_COLLECTIONS; ++Collection) {
        InitializeListHead(&Mouse.FCollections[Collection].FClassReads);
    }
    MouseMemoryReset(&Mouse.FMemory);
}

uint32_t CollectionOfDevice(PDEVICE_OBJECT AFunctionalDevice) {
    const PHID_DEVICE_EXTENSION Hid = AFunctionalDevice->DeviceExtension;
    return ((const TMiniExtension*)Hid->MiniDeviceExtension)->FCollection;
}

static void CopyBytes(uint8_t* ATo, const uint8_t* AFrom, uint32_t ACount) {
    for (uint32_t Index = 0; Index < ACount; ++Index) {
        ATo[Index] = AFrom[Index];
    }
}

// ---- Reads of the class driver ----

static VOID NTAPI CancelClassRead(PDEVICE_OBJECT ADevice, PIRP AIrp) {
    (void)ADevice;
    IoReleaseCancelSpinLock(AIrp->CancelIrql);
    KIRQL Irql;
    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    RemoveEntryList(&AIrp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&Mouse.FLock, Irql);
    AIrp->IoStatus.Status = STATUS_CANCELLED;
    AIrp->IoStatus.Information = 0;
    IoCompleteRequest(AIrp, IO_NO_INCREMENT);
}

// The first waiting read that is not being cancelled, taken off the list; null when none is.
// Call with the lock held. A read whose cancel routine already runs is left to it, on an entry
// of its own so that the routine's unlinking touches nothing else.
static PIRP TakeClassRead(TCollection* ACollection) {
    while (!IsListEmpty(&ACollection->FClassReads)) {
        PLIST_ENTRY Entry = RemoveHeadList(&ACollection->FClassReads);
        PIRP Irp = CONTAINING_RECORD(Entry, IRP, Tail.Overlay.ListEntry);
        if (IoSetCancelRoutine(Irp, NULL) != NULL) {
            return Irp;
        }
        InitializeListHead(Entry);
    }
    return NULL;
}

static void CompleteClassRead(PIRP AIrp, const uint8_t* AReport, uint32_t ALength) {
    const PIO_STACK_LOCATION Stack = IoGetCurrentIrpStackLocation(AIrp);
    const ULONG Room = Stack->Parameters.DeviceIoControl.OutputBufferLength;
    if (Room < ALength) {
        AIrp->IoStatus.Status = STATUS_BUFFER_TOO_SMALL;
        AIrp->IoStatus.Information = 0;
    } else {
        CopyBytes(AIrp->UserBuffer, AReport, ALength);
        AIrp->IoStatus.Status = STATUS_SUCCESS;
        AIrp->IoStatus.Information = ALength;
    }
    IoCompleteRequest(AIrp, IO_NO_INCREMENT);
}

NTSTATUS MouseClassRead(uint32_t ACollection, PIRP AIrp) {
    TCollection* Collection = &Mouse.FCollections[ACollection];
    uint8_t Report[VMOUSE_LONGEST_INPUT_REPORT];
    uint32_t Length = 0;
    KIRQL Irql;
    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    if (Collection->FStatus.FReportsWaiting > 0) {
        const uint32_t First = Collection->FFirstWaiting;
        Length = Collection->FWaitingLengths[First];
        CopyBytes(Report, Collection->FWaiting[First], Length);
        Collection->FFirstWaiting = (First + 1) % WAITING_REPORT_LIMIT;
        --Collection->FStatus.FReportsWaiting;
        ++Collection->FStatus.FReportsDelivered;
        KeReleaseSpinLock(&Mouse.FLock, Irql);
        CompleteClassRead(AIrp, Report, Length);
        return STATUS_SUCCESS;
    }
    IoMarkIrpPending(AIrp);
    IoSetCancelRoutine(AIrp, CancelClassRead);
    if (AIrp->Cancel && IoSetCancelRoutine(AIrp, NULL) != NULL) {
        KeReleaseSpinLock(&Mouse.FLock, Irql);
        AIrp->IoStatus.Status = STATUS_CANCELLED;
        AIrp->IoStatus.Information = 0;
        IoCompleteRequest(AIrp, IO_NO_INCREMENT);
        return STATUS_PENDING;
    }
    InsertTailList(&Collection->FClassReads, &AIrp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&Mouse.FLock, Irql);
    return STATUS_PENDING;
}

NTSTATUS MousePushReport(uint32_t ACollection, const uint8_t* AReport, uint32_t ALength) {
    if (ACollection >= VMOUSE_COLLECTIONS || ALength == 0 ||
        ALength > VMOUSE_LONGEST_INPUT_REPORT) {
        return STATUS_INVALID_PARAMETER;
    }
    TCollection* Collection = &Mouse.FCollections[ACollection];
    KIRQL Irql;
    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    if (!Collection->FStatus.FStarted) {
        KeReleaseSpinLock(&Mouse.FLock, Irql);
        return STATUS_DEVICE_NOT_CONNECTED;
    }
    PIRP Read = TakeClassRead(Collection);
    if (Read != NULL) {
        ++Collection->FStatus.FReportsDelivered;
        KeReleaseSpinLock(&Mouse.FLock, Irql);
        CompleteClassRead(Read, AReport, ALength);
        return STATUS_SUCCESS;
    }
    if (Collection->FStatus.FReportsWaiting == WAITING_REPORT_LIMIT) {
        ++Collection->FStatus.FReportsDropped;
        KeReleaseSpinLock(&Mouse.FLock, Irql);
        return STATUS_DEVICE_BUSY;
    }
    const uint32_t Slot =
        (Collection->FFirstWaiting + Collection->FStatus.FReportsWaiting) % WAITING_REPORT_LIMIT;
    CopyBytes(Collection->FWaiting[Slot], AReport, ALength);
    Collection->FWaitingLengths[Slot] = ALength;
    ++Collection->FStatus.FReportsWaiting;
    KeReleaseSpinLock(&Mouse.FLock, Irql);
    return STATUS_SUCCESS;
}

// ---- The devnodes ----

void MouseCollectionStarted(uint32_t ACollection, PDEVICE_OBJECT AFunctionalDevice) {
    TCollection* Collection = &Mouse.FCollections[ACollection];
    KIRQL Irql;
    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    Collection->FDevice = AFunctionalDevice;
    Collection->FStatus.FStarted = 1;
    ++Collection->FStatus.FStarts;
    KeReleaseSpinLock(&Mouse.FLock, Irql);
}

void MouseCollectionGone(uint32_t ACollection) {
    TCollection* Collection = &Mouse.FCollections[ACollection];
    LIST_ENTRY Ended;
    InitializeListHead(&Ended);
    KIRQL Irql;
    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    Collection->FDevice = NULL;
    Collection->FStatus.FStarted = 0;
    Collection->FStatus.FReportsWaiting = 0;
    Collection->FFirstWaiting = 0;
    for (PIRP Read = TakeClassRead(Collection); Read != NULL; Read = TakeClassRead(Collection)) {
        InsertTailList(&Ended, &Read->Tail.Overlay.ListEntry);
    }
    KeReleaseSpinLock(&Mouse.FLock, Irql);
    while (!IsListEmpty(&Ended)) {
        PIRP Read = CONTAINING_RECORD(RemoveHeadList(&Ended), IRP, Tail.Overlay.ListEntry);
        Read->IoStatus.Status = STATUS_DEVICE_NOT_CONNECTED;
        Read->IoStatus.Information = 0;
        IoCompleteRequest(Read, IO_NO_INCREMENT);
    }
}

// ---- Feature reports ----

// Called with the lock held: whether this write is one the fault asked for.
static int TakeFault(void) {
    if (Mouse.FFault.FPassing > 0) {
        --Mouse.FFault.FPassing;
        return 0;
    }
    if (Mouse.FFault.FCount == 0) {
        return 0;
    }
    --Mouse.FFault.FCount;
    return 1;
}

static void Wait(uint32_t AMilliseconds) {
    LARGE_INTEGER Interval;
    Interval.QuadPart = -(LONGLONG)AMilliseconds * 10000; // relative, in 100 ns
    KeDelayExecutionThread(KernelMode, FALSE, &Interval);
}

NTSTATUS MouseTakeFeatureReport(const uint8_t* AReport, uint32_t ALength) {
    // Taken before the lock: the pool may not be asked for memory while the lock is held.
    TFeatureLogEntry* Entry =
        ExAllocatePoolWithTag(NonPagedPool, sizeof(TFeatureLogEntry) + ALength, VMOUSE_POOL_TAG);
    KIRQL Irql;
    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    const int Faulted = TakeFault();
    const TVmouseFeatureFault Fault = Mouse.FFault;
    KeReleaseSpinLock(&Mouse.FLock, Irql);
    if (Faulted && Fault.FDelayMs > 0) {
        Wait(Fault.FDelayMs);
    }

    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    NTSTATUS Status = STATUS_SUCCESS;
    uint32_t Reading;
    if (Faulted && !NT_SUCCESS(Fault.FStatus)) {
        Status = Fault.FStatus;
        Reading = VMOUSE_READ_FAILED_ON_REQUEST;
    } else {
        Reading = MouseMemoryTake(&Mouse.FMemory, AReport, ALength);
        if (Reading != VMOUSE_READ_WRITE && Reading != VMOUSE_READ_MODE) {
            ++Mouse.FRefused;
        }
    }
    ++Mouse.FFeatureReports;
    if (Entry != NULL && Mouse.FLog != NULL && Mouse.FLogged < FEATURE_LOG_LIMIT) {
        Entry->FLength = ALength;
        Entry->FStatus = Status;
        Entry->FReading = Reading;
        CopyBytes(Entry->FBytes, AReport, ALength);
        Mouse.FLog[Mouse.FLogged++] = Entry;
        Entry = NULL;
    } else {
        ++Mouse.FUnlogged;
    }
    KeReleaseSpinLock(&Mouse.FLock, Irql);
    if (Entry != NULL) {
        ExFreePoolWithTag(Entry, VMOUSE_POOL_TAG);
    }
    return Status;
}

void MouseFaultFeatureWrites(const TVmouseFeatureFault* AFault) {
    KIRQL Irql;
    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    Mouse.FFault = *AFault;
    KeReleaseSpinLock(&Mouse.FLock, Irql);
}

void MouseStatus(TVmouseStatus* AStatus) {
    KIRQL Irql;
    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    for (uint32_t Collection = 0; Collection < VMOUSE_COLLECTIONS; ++Collection) {
        TCollection* Each = &Mouse.FCollections[Collection];
        AStatus->FCollections[Collection] = Each->FStatus;
        uint32_t Pending = 0;
        for (PLIST_ENTRY Entry = Each->FClassReads.Flink; Entry != &Each->FClassReads;
             Entry = Entry->Flink) {
            ++Pending;
        }
        AStatus->FCollections[Collection].FClassReadsPending = Pending;
    }
    AStatus->FFeatureReports = Mouse.FFeatureReports;
    AStatus->FFeatureReportsUnlogged = Mouse.FUnlogged;
    AStatus->FFaultsToCome = Mouse.FFault.FCount;
    AStatus->FMode = Mouse.FMemory.FMode;
    AStatus->FUploadsCompleted = Mouse.FMemory.FUploadsCompleted;
    AStatus->FRefusedReports = Mouse.FRefused;
    KeReleaseSpinLock(&Mouse.FLock, Irql);
}

NTSTATUS MouseFeatureRecord(uint32_t AIndex, TVmouseFeatureRecord* ARecord, ULONG* ASize) {
    KIRQL Irql;
    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    if (AIndex >= Mouse.FLogged) {
        KeReleaseSpinLock(&Mouse.FLock, Irql);
        return STATUS_NO_MORE_ENTRIES;
    }
    const TFeatureLogEntry* Entry = Mouse.FLog[AIndex];
    ARecord->FIndex = AIndex;
    ARecord->FLength = Entry->FLength;
    ARecord->FStatus = Entry->FStatus;
    ARecord->FReading = Entry->FReading;
    CopyBytes(ARecord->FBytes, Entry->FBytes, Entry->FLength);
    *ASize = offsetof(TVmouseFeatureRecord, FBytes) + Entry->FLength;
    KeReleaseSpinLock(&Mouse.FLock, Irql);
    return STATUS_SUCCESS;
}

int MouseBank(uint32_t ABank, TVmouseBank* ABankOut) {
    KIRQL Irql;
    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    const int Known = MouseMemoryBank(&Mouse.FMemory, ABank, ABankOut);
    KeReleaseSpinLock(&Mouse.FLock, Irql);
    return Known;
}

void MouseFinalize(void) {
    FreeLog(Mouse.FLog, Mouse.FLogged);
    Mouse.FLog = NULL;
    Mouse.FLogged = 0;
}

// Counters of the collections that describe their present state (started, reads pending,
// reports waiting) stay; what counts events starts again.
void MouseReset(void) {
    TFeatureLogEntry** Fresh = NewLog();
    KIRQL Irql;
    KeAcquireSpinLock(&Mouse.FLock, &Irql);
    TFeatureLogEntry** Old = Mouse.FLog;
    const uint32_t OldLogged = Mouse.FLogged;
    Mouse.FLog = Fresh;
    Mouse.FLogged = 0;
    Mouse.FFeatureReports = 0;
    Mouse.FUnlogged = 0;
    Mouse.FRefused = 0;
    Mouse.FFault = (TVmouseFeatureFault){0};
    MouseMemoryReset(&Mouse.FMemory);
    for (uint32_t Collection = 0; Collection < VMOUSE_COLLECTIONS; ++Collection) {
        TVmouseCollectionStatus* Status = &Mouse.FCollections[Collection].FStatus;
        Status->FReportsDelivered = 0;
        Status->FReportsDropped = 0;
    }
    KeReleaseSpinLock(&Mouse.FLock, Irql);
    FreeLog(Old, OldLogged);
}
