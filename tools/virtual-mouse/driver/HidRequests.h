#pragma once

#include "HidMinidriver.h"

// The HID class driver's requests to the minidriver (IRP_MJ_INTERNAL_DEVICE_CONTROL) on one of
// the mouse's functional devices.
NTSTATUS NTAPI HidRequest(PDEVICE_OBJECT ADevice, PIRP AIrp);
