#pragma once

// The mouse's side of the upload protocol: it reads each feature report on its own, from the
// wire format alone, and keeps what the writes store as its two profile banks. Nothing here
// knows the host's encoder; a report the host got wrong is refused and counted, not guessed at.

#include "../VirtualMouseControl.h"

#include <stdint.h>

typedef struct TMouseMemory {
    uint8_t FBytes[VMOUSE_MEMORY_SIZE];
    // 1 while the mouse runs from its memory, 0 while an upload writes it.
    uint8_t FMode;
    uint32_t FUploadsCompleted;
} TMouseMemory;

void MouseMemoryReset(TMouseMemory* AMemory);
// AReport starts with the report ID; the result is a VMOUSE_READ_... value.
uint32_t MouseMemoryTake(TMouseMemory* AMemory, const uint8_t* AReport, uint32_t ALength);
// AOut receives bank ABank (0 or 1) as the mouse holds it; false for any other bank.
int MouseMemoryBank(const TMouseMemory* AMemory, uint32_t ABank, TVmouseBank* AOut);
