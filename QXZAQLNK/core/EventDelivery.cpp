#include "core/EventDelivery.h"

#include <memory>

#include "base/EventSink.h"
#include "base/Guarded.h"
#include "common/EventText.h"
#include "core/LinkState.h"
#include "core/LinkedList.h"
#include "base/Trace.h"
#include "platform/Clock.h"
#include "platform/Sync.h"

namespace {

constexpr uint32_t kLockWaitMs = 3000;
constexpr uint32_t kLost = 0xFFFFFFFFu;

class EventNode final : public ListNode {
public:
    explicit EventNode(const ZAQ16_EVENT& e) : event(e) {}
    ZAQ16_EVENT event;
};

struct Delivery {
    platform::Lock callbackLock{1};
    platform::Lock queueLock{1};
    std::unique_ptr<LinkedList> eventQueue;  // guarded by queueLock
};

thread_local bool insideCallback = false;

Delivery& Shared()
{
    static Delivery delivery;
    return delivery;
}

class LibrarySink final : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT& event) override { return SendEvent(&event); }
};

}  // namespace

EventSink& LibraryEventSink()
{
    static LibrarySink sink;
    return sink;
}

bool InsideCallback()
{
    return insideCallback;
}

uint32_t SendEvent(const ZAQ16_EVENT* event)
{
    Delivery& delivery = Shared();
    ZAQ16_EVENT local = *event;
    local.timeStamp = platform::TickCount();

    if (QXZAQEventCallback callback = Link().eventCallback.load()) {
        if (!platform::AcquireWithin(delivery.callbackLock, kLockWaitMs)) {
            Trace(TRACE_ERROR, "SendEvent", "!!!! Timed Out !!!\n");
            return kLost;
        }
        if (LibraryTrace().Enabled(TRACE_INFO)) {
            Trace(TRACE_INFO, "SendEvent", "%s\n", EventText(local).c_str());
        }
        insideCallback = true;
        // A callback that throws loses its event, not the callback lock.
        const uint32_t result = GuardedEntry("SendEvent", [&] { return callback(&local); });
        insideCallback = false;
        delivery.callbackLock.release();
        return result;
    }

    if (!platform::AcquireWithin(delivery.queueLock, kLockWaitMs)) {
        Trace(TRACE_ERROR, "SendEvent", "!!!! Timed Out !!!\n");
        return kLost;
    }
    uint32_t result = 0;
    if (delivery.eventQueue) {
        // The queue's current node is always its tail, so Insert appends.
        local.callRecord = nullptr;
        delivery.eventQueue->Insert(new EventNode(local));
    } else {
        result = kLost;
    }
    delivery.queueLock.release();
    return result;
}

void CreateEventQueue()
{
    Delivery& delivery = Shared();
    auto queue = std::make_unique<LinkedList>();
    delivery.queueLock.acquire();
    std::swap(delivery.eventQueue, queue);
    delivery.queueLock.release();
}

void DestroyEventQueue()
{
    Delivery& delivery = Shared();
    std::unique_ptr<LinkedList> old;
    // Producers may still be posting: the queue goes only under its lock, whose
    // holders never wait for anything else.
    delivery.queueLock.acquire();
    old = std::move(delivery.eventQueue);
    delivery.queueLock.release();
}

uint32_t TakeQueuedEvent(ZAQ16_EVENT& event)
{
    Delivery& delivery = Shared();
    if (!platform::AcquireWithin(delivery.queueLock, kLockWaitMs)) {
        Trace(TRACE_ERROR, "SendEvent", "!!!! Timed Out !!!\n");
        return ZAQ16_RET_NOT_READY;
    }
    LinkedList* queue = delivery.eventQueue.get();
    if (queue == nullptr || queue->Count() == 0) {
        delivery.queueLock.release();
        return ZAQ16_RET_NO_EVENT;
    }
    auto* node = static_cast<EventNode*>(queue->Head());
    event = node->event;
    queue->Unlink(node);
    delete node;
    queue->Seek(queue->Count());
    delivery.queueLock.release();
    return ZAQ16_RET_SUCCESS;
}
