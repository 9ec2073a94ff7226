#pragma once

// What the virtual mouse's control device takes and hands out. The driver (C, kernel mode) and
// the programs that drive it (C++, user mode) both read this file, so it keeps to C.

#include <stdint.h>

// The control device, beside the mouse's own devnodes; programs open VMOUSE_CONTROL_PATH.
#define VMOUSE_CONTROL_DEVICE_NAME L"\\Device\\VantoVirtualMouse"
#define VMOUSE_CONTROL_LINK_NAME L"\\DosDevices\\VantoVirtualMouse"
#define VMOUSE_CONTROL_PATH L"\\\\.\\VantoVirtualMouse"

// The identity the mouse reports for both of its interfaces.
#define VMOUSE_VENDOR_ID 0xFEED
#define VMOUSE_PRODUCT_ID 0x7A01
#define VMOUSE_VERSION_NUMBER 0x0100

// The mouse is two devnodes, as the two interfaces of a USB composite mouse are: the pointer
// collection that the system reads, and the vendor collection that the monitor reads.
enum {
    VMOUSE_POINTER = 0,
    VMOUSE_VENDOR = 1,
    VMOUSE_COLLECTIONS = 2,
};

// The mouse's memory: two profile banks, bank 1 2304 bytes above bank 0, each with a button
// table and five macro slots.
#define VMOUSE_MEMORY_SIZE 4608
#define VMOUSE_BANK_COUNT 2
#define VMOUSE_BANK_DISTANCE 2304
#define VMOUSE_BUTTON_TABLE_ADDRESS 144
#define VMOUSE_BUTTON_TABLE_SIZE 65
#define VMOUSE_MACRO_SLOT_ADDRESS 209
#define VMOUSE_MACRO_SLOT_SIZE 384
#define VMOUSE_MACRO_SLOTS 5

// Input reports 7 and 8 carry 7 bytes after the ID; feature report 6, the longest, 4095.
#define VMOUSE_INPUT_REPORT_SIZE 8
#define VMOUSE_LONGEST_INPUT_REPORT 64
#define VMOUSE_LONGEST_FEATURE_REPORT 4096

// How the mouse read a feature report. Anything but the first two left the memory as it was.
enum {
    VMOUSE_READ_WRITE = 0,         // command 2: bytes stored
    VMOUSE_READ_MODE = 1,          // command 6: mode taken
    VMOUSE_READ_FAILED_ON_REQUEST, // a fault asked for on the control device failed it
    VMOUSE_READ_WRONG_LENGTH,      // not the length the report's ID declares
    VMOUSE_READ_LARGER_ID,         // the payload would have fitted a shorter report
    VMOUSE_READ_PAST_REPORT,       // the payload runs past the end of the report
    VMOUSE_READ_UNKNOWN_COMMAND,
    VMOUSE_READ_BAD_MARKER, // a write without its 0xFA 0xFA argument bytes
    VMOUSE_READ_PAST_MEMORY,
    VMOUSE_READ_OUTSIDE_UPLOAD, // a write that no mode 0 opened
    VMOUSE_READ_UNKNOWN_MODE,
    VMOUSE_READ_DIRTY_PADDING, // bytes that must be 0 are not
};

// Control requests: CTL_CODE(FILE_DEVICE_UNKNOWN, function, METHOD_BUFFERED, FILE_ANY_ACCESS).
#define VMOUSE_CONTROL_CODE(Function) ((0x22u << 16) | ((uint32_t)(Function) << 2))
// In: TVmouseInputReport. The report goes to the collection's next read, or waits for it.
#define VMOUSE_PUSH_INPUT_REPORT VMOUSE_CONTROL_CODE(0x900)
// Out: TVmouseStatus.
#define VMOUSE_GET_STATUS VMOUSE_CONTROL_CODE(0x901)
// In: uint32_t index. Out: TVmouseFeatureRecord. STATUS_NO_MORE_ENTRIES past the last one.
#define VMOUSE_GET_FEATURE_REPORT VMOUSE_CONTROL_CODE(0x902)
// In: TVmouseFeatureFault.
#define VMOUSE_FAULT_FEATURE_WRITES VMOUSE_CONTROL_CODE(0x903)
// In: uint32_t bank. Out: TVmouseBank.
#define VMOUSE_GET_BANK VMOUSE_CONTROL_CODE(0x904)
// A mouse fresh from the factory: memory, log, counters and failures to come all cleared.
#define VMOUSE_RESET VMOUSE_CONTROL_CODE(0x905)

typedef struct TVmouseInputReport {
    uint32_t FCollection;
    uint32_t FLength;
    uint8_t FBytes[VMOUSE_LONGEST_INPUT_REPORT];
} TVmouseInputReport;

typedef struct TVmouseCollectionStatus {
    uint32_t FStarted;          // the devnode is there and started
    uint32_t FStarts;           // times it was started since the driver loaded
    uint32_t FReportsWaiting;   // pushed, not yet taken by the class driver
    uint32_t FReportsDelivered; // handed to the class driver
    uint32_t FReportsDropped;   // pushed while too many waited already
    uint32_t FClassReadsPending;
} TVmouseCollectionStatus;

typedef struct TVmouseStatus {
    TVmouseCollectionStatus FCollections[VMOUSE_COLLECTIONS];
    uint32_t FFeatureReports;         // received, in the log or not
    uint32_t FFeatureReportsUnlogged; // received while the log was full
    uint32_t FFaultsToCome;           // writes still to be delayed or failed
    uint32_t FMode;                   // the last mode command; 1 (running) on a fresh mouse
    uint32_t FUploadsCompleted;       // mode 0 followed by mode 1
    uint32_t FRefusedReports;         // read as anything but a write or a mode command
} TVmouseStatus;

typedef struct TVmouseFeatureRecord {
    uint32_t FIndex;
    uint32_t FLength;  // ID byte included
    int32_t FStatus;   // what the mouse answered: 0, or the failure asked for
    uint32_t FReading; // VMOUSE_READ_...
    uint8_t FBytes[VMOUSE_LONGEST_FEATURE_REPORT];
} TVmouseFeatureRecord;

// A slow or failing mouse: after FPassing more feature writes, each of the next FCount ones is
// answered FDelayMs later, with FStatus (an NTSTATUS; a failure leaves the memory as it was).
typedef struct TVmouseFeatureFault {
    uint32_t FPassing;
    uint32_t FCount;
    int32_t FStatus;
    uint32_t FDelayMs;
} TVmouseFeatureFault;

typedef struct TVmouseBank {
    uint8_t FButtonTable[VMOUSE_BUTTON_TABLE_SIZE];
    uint8_t FMacroSlots[VMOUSE_MACRO_SLOTS][VMOUSE_MACRO_SLOT_SIZE];
} TVmouseBank;
