// The viewer's event routine: turns one event into the lines of the event
// list and, for a display change, the text of a phone pane. It runs on the
// library's thread (callback) or the polling thread and touches no widget:
// everything goes to the inbox.
#pragma once

#include <atomic>
#include <cstdint>

#include "qxzaqlnk.h"

class ChannelSelection;
class EventInbox;

// The two library entries the routine reads through (tests give their own).
struct PhoneReader {
    uint32_t (*getMessage)(uint32_t channel, char* buffer, uint32_t size) = &QXZAQGetMessage;
    uint32_t (*getPhoneStatus)(uint32_t channel, ZAQ16_PHONE_STATUS* status) = &QXZAQGetPhoneStatus;
};

class EventRoutine {
public:
    // A display text longer than this is read truncated (the event's length
    // word is not trusted for an allocation).
    static constexpr uint32_t kMaxDisplayText = 64 * 1024;

    EventRoutine(const ChannelSelection& channels, EventInbox& inbox, PhoneReader reader = {});

    // 1 when the event was handled, 0 when dropped (its channel is not selected).
    uint32_t ShowEvent(const ZAQ16_EVENT& event);

    void SetPhoneStatusUpdate(bool on) { phoneStatusUpdate_.store(on); }
    bool PhoneStatusUpdate() const { return phoneStatusUpdate_.load(); }

private:
    uint32_t ShowMessageChange(const ZAQ16_EVENT& event, bool listed);

    const ChannelSelection& channels_;
    EventInbox& inbox_;
    const PhoneReader reader_;
    std::atomic<bool> phoneStatusUpdate_{false};
};
