#pragma once

#include "HidMinidriver.h"

// Every request on the control device: open, close and the VMOUSE_... control codes.
NTSTATUS ControlRequest(PDEVICE_OBJECT ADevice, PIRP AIrp);
