// The applet's event callback: download progress steps the firmware dialog's
// bar; every other event is ignored.
#pragma once

#include "qxzaqlnk.h"

class CLoadFirmware;

uint32_t QXZAQ_CALL EventCallback(ZAQ16_EVENT* event);

// The dialog whose bar the progress events step; null: none. A dialog
// unregisters itself before it goes, so the callback never reaches a dead one.
void SetProgressTarget(CLoadFirmware* dialog);
