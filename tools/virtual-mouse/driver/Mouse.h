#pragma once

// The one virtual mouse this driver presents: its two collections, the reports waiting to be
// read, the log of feature reports and the memory they write. It lives as long as the driver,
// not as long as its devnodes, so that an unplugged mouse keeps its memory as a real one does.

#include "HidMinidriver.h"
#include "MouseMemory.h"

#include "../VirtualMouseControl.h"

#define VMOUSE_POOL_TAG 0x65737556 // "Vuse"

// The class driver reads one report at a time; these wait for its next read meanwhile.
#define WAITING_REPORT_LIMIT 64
// Far more than the reports of many uploads, and a bound on what the log can hold.
#define FEATURE_LOG_LIMIT 1024

typedef struct TCollection {
    PDEVICE_OBJECT FDevice; // the functional device while the devnode is started
    LIST_ENTRY FClassReads; // the class driver's IOCTL_HID_READ_REPORT requests
    uint8_t FWaiting[WAITING_REPORT_LIMIT][VMOUSE_LONGEST_INPUT_REPORT];
    uint32_t FWaitingLengths[WAITING_REPORT_LIMIT];
    uint32_t FFirstWaiting;
    TVmouseCollectionStatus FStatus;
} TCollection;

// The minidriver's part of a functional device's extension.
typedef struct TMiniExtension {
    uint32_t FCollection;
} TMiniExtension;

void MouseInitialize(void);
// Frees what the log holds; for the driver's unload.
void MouseFinalize(void);
// The collection that a functional device of this driver serves.
uint32_t CollectionOfDevice(PDEVICE_OBJECT AFunctionalDevice);

void MouseCollectionStarted(uint32_t ACollection, PDEVICE_OBJECT AFunctionalDevice);
// Ends every read the class driver has waiting and forgets the reports not yet read.
void MouseCollectionGone(uint32_t ACollection);

// The class driver's read: completed with the first waiting report, or held until one comes.
NTSTATUS MouseClassRead(uint32_t ACollection, PIRP AIrp);
NTSTATUS MousePushReport(uint32_t ACollection, const uint8_t* AReport, uint32_t ALength);
// A feature report from the host, ID first: logged, then read into the memory unless a failure
// was asked for. The result is what the host is answered; a delay asked for holds the caller.
NTSTATUS MouseTakeFeatureReport(const uint8_t* AReport, uint32_t ALength);

void MouseFaultFeatureWrites(const TVmouseFeatureFault* AFault);
void MouseStatus(TVmouseStatus* AStatus);
// STATUS_NO_MORE_ENTRIES past the last report in the log; ASize gets the bytes filled in.
NTSTATUS MouseFeatureRecord(uint32_t AIndex, TVmouseFeatureRecord* ARecord, ULONG* ASize);
int MouseBank(uint32_t ABank, TVmouseBank* ABankOut);
void MouseReset(void);
