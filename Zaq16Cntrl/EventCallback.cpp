#include "EventCallback.h"

#include <QMetaObject>
#include <mutex>

#include "AppletTrace.h"
#include "FirmwareDialog.h"

namespace {

std::mutex targetLock;
CLoadFirmware* target = nullptr;

}  // namespace

void SetProgressTarget(CLoadFirmware* dialog)
{
    std::lock_guard<std::mutex> guard(targetLock);
    target = dialog;
}

uint32_t QXZAQ_CALL EventCallback(ZAQ16_EVENT* event)
{
    if (event == nullptr || event->eventCode != QXEVT_DOWNLOAD_STATUS) {
        return 1;
    }
    AppletTrace().Write(TRACE_INFO, "EventCallback", "QXEVT_DOWNLOAD_STATUS");
    std::lock_guard<std::mutex> guard(targetLock);
    if (target != nullptr) {
        // The bar belongs to the dialog thread: step it there.
        QMetaObject::invokeMethod(target, &CLoadFirmware::StepProgress, Qt::QueuedConnection);
    }
    return 1;
}
