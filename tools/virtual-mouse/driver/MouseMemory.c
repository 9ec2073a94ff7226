#include "MouseMemory.h"

// No C library in the kernel: the two byte loops the memory needs are written out.

enum {
    HEADER_SIZE = 8, // ID, command, six argument bytes
    COMMAND_WRITE = 2,
    COMMAND_MODE = 6,
    MODE_UPLOAD = 0,
    MODE_RUN = 1,
    WRITE_MARKER = 0xFA,
};

// The feature reports the mouse declares, shortest first: ID and length, ID included.
static const struct {
    uint8_t FId;
    uint32_t FLength;
} FeatureReports[] = {{2, 16}, {3, 64}, {4, 1024}, {5, 2048}, {6, 4096}};

#define FEATURE_REPORT_KINDS (sizeof(FeatureReports) / sizeof(FeatureReports[0]))

static uint32_t DeclaredLength(uint8_t AId) {
    for (uint32_t Kind = 0; Kind < FEATURE_REPORT_KINDS; ++Kind) {
        if (FeatureReports[Kind].FId == AId) {
            return FeatureReports[Kind].FLength;
        }
    }
    return 0;
}

// The host picks the shortest report that holds the command: a longer one means it counted
// the payload wrong.
static uint8_t ShortestIdFor(uint32_t ASize) {
    for (uint32_t Kind = 0; Kind < FEATURE_REPORT_KINDS; ++Kind) {
        if (ASize <= FeatureReports[Kind].FLength) {
            return FeatureReports[Kind].FId;
        }
    }
    return 0;
}

static int AllZero(const uint8_t* ABytes, uint32_t ACount) {
    for (uint32_t Index = 0; Index < ACount; ++Index) {
        if (ABytes[Index] != 0) {
            return 0;
        }
    }
    return 1;
}

static void CopyBytes(uint8_t* ATo, const uint8_t* AFrom, uint32_t ACount) {
    for (uint32_t Index = 0; Index < ACount; ++Index) {
        ATo[Index] = AFrom[Index];
    }
}

void MouseMemoryReset(TMouseMemory* AMemory) {
    for (uint32_t Index = 0; Index < VMOUSE_MEMORY_SIZE; ++Index) {
        AMemory->FBytes[Index] = 0;
    }
    AMemory->FMode = MODE_RUN;
    AMemory->FUploadsCompleted = 0;
}

static uint32_t TakeWrite(TMouseMemory* AMemory, const uint8_t* AReport, uint32_t ALength) {
    const uint32_t Address = AReport[2] | (uint32_t)AReport[3] << 8;
    const uint32_t Count = AReport[4] | (uint32_t)AReport[5] << 8;
    if (HEADER_SIZE + Count > ALength) {
        return VMOUSE_READ_PAST_REPORT;
    }
    if (ShortestIdFor(HEADER_SIZE + Count) != AReport[0]) {
        return VMOUSE_READ_LARGER_ID;
    }
    if (AReport[6] != WRITE_MARKER || AReport[7] != WRITE_MARKER) {
        return VMOUSE_READ_BAD_MARKER;
    }
    if (!AllZero(AReport + HEADER_SIZE + Count, ALength - HEADER_SIZE - Count)) {
        return VMOUSE_READ_DIRTY_PADDING;
    }
    if (AMemory->FMode != MODE_UPLOAD) {
        return VMOUSE_READ_OUTSIDE_UPLOAD;
    }
    if (Address + Count > VMOUSE_MEMORY_SIZE) {
        return VMOUSE_READ_PAST_MEMORY;
    }
    CopyBytes(AMemory->FBytes + Address, AReport + HEADER_SIZE, Count);
    return VMOUSE_READ_WRITE;
}

static uint32_t TakeMode(TMouseMemory* AMemory, const uint8_t* AReport, uint32_t ALength) {
    if (AReport[0] != ShortestIdFor(HEADER_SIZE)) {
        return VMOUSE_READ_LARGER_ID;
    }
    if (!AllZero(AReport + 3, ALength - 3)) {
        return VMOUSE_READ_DIRTY_PADDING;
    }
    const uint8_t Mode = AReport[2];
    if (Mode != MODE_UPLOAD && Mode != MODE_RUN) {
        return VMOUSE_READ_UNKNOWN_MODE;
    }
    if (AMemory->FMode == MODE_UPLOAD && Mode == MODE_RUN) {
        ++AMemory->FUploadsCompleted;
    }
    AMemory->FMode = Mode;
    return VMOUSE_READ_MODE;
}

uint32_t MouseMemoryTake(TMouseMemory* AMemory, const uint8_t* AReport, uint32_t ALength) {
    if (ALength < HEADER_SIZE || DeclaredLength(AReport[0]) != ALength) {
        return VMOUSE_READ_WRONG_LENGTH;
    }
    switch (AReport[1]) {
    case COMMAND_WRITE:
        return TakeWrite(AMemory, AReport, ALength);
    case COMMAND_MODE:
        return TakeMode(AMemory, AReport, ALength);
    default:
        return VMOUSE_READ_UNKNOWN_COMMAND;
    }
}

int MouseMemoryBank(const TMouseMemory* AMemory, uint32_t ABank, TVmouseBank* AOut) {
    if (ABank >= VMOUSE_BANK_COUNT) {
        return 0;
    }
    const uint8_t* Bank = AMemory->FBytes + ABank * VMOUSE_BANK_DISTANCE;
    CopyBytes(AOut->FButtonTable, Bank + VMOUSE_BUTTON_TABLE_ADDRESS, VMOUSE_BUTTON_TABLE_SIZE);
    for (uint32_t Slot = 0; Slot < VMOUSE_MACRO_SLOTS; ++Slot) {
        CopyBytes(AOut->FMacroSlots[Slot],
                  Bank + VMOUSE_MACRO_SLOT_ADDRESS + Slot * VMOUSE_MACRO_SLOT_SIZE,
                  VMOUSE_MACRO_SLOT_SIZE);
    }
    return 1;
}
