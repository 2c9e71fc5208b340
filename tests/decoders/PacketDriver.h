// Drives a decoder with packets and a fake clock, as the port's reader would
// hand them over: no device, no thread, no sleep. Keeps the events it posts
// and opens its context's records to the tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "decoders/Decoder.h"
#include "support/EventCollector.h"
#include "support/FakeClock.h"

struct Posted {
    uint32_t code;
    uint32_t param;
    uint32_t channel;
    bool operator==(const Posted&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Posted& event);

template <typename DecoderType>
class PacketDriver {
public:
    explicit PacketDriver(uint32_t startChannel = 1) : context(startChannel, events, timers), decoder(context) {}

    // One packet's data bytes (without the unit's checksum); returns what Decode returned.
    uint8_t Send(uint8_t channel, uint8_t type, const std::vector<uint8_t>& data)
    {
        Packet packet;
        packet.channel = channel;
        packet.type = type;
        packet.data = data.data();
        packet.length = static_cast<uint32_t>(data.size());
        return decoder.Decode(packet);
    }

    // Moves the clock, running each timer when it falls due, as the reader
    // does between packets.
    void Advance(uint32_t milliseconds) { AdvanceWithTimers(clock, timers, milliseconds); }

    // The events posted since the last call.
    std::vector<Posted> Take()
    {
        std::vector<Posted> taken;
        for (const ZAQ16_EVENT& event : events.Events()) {
            taken.push_back({event.eventCode, event.param, event.channel});
        }
        events.Clear();
        return taken;
    }

    ZAQ16_PHONE_STATUS Status(uint8_t channel)
    {
        ZAQ16_PHONE_STATUS status{};
        context.CopyPhoneStatus(channel, &status);
        return status;
    }

    const DisplayRecord& Record(uint8_t channel) const { return context.displays[channel]; }
    // The first `length` bytes of the record's text.
    std::string Text(uint8_t channel, size_t length) const { return std::string(context.displays[channel].text, length); }
    // The display text as GetMessage returns it.
    std::string Display(uint8_t channel)
    {
        std::string text(DisplayRecord::kTextSize, '\0');
        decoder.GetMessage(channel, text.data(), static_cast<uint32_t>(text.size()));
        text.resize(std::min<size_t>(context.displays[channel].offset, text.size()));
        return text;
    }

    void EventUpdates(bool on) { context.SetEventUpdates(on); }

    // How many events the same packet sent twice posts, with event updates on or off.
    static size_t EventsOfARepeat(bool updates, uint8_t type, const std::vector<uint8_t>& data)
    {
        PacketDriver driver;
        driver.EventUpdates(updates);
        driver.Send(0, type, data);
        driver.Send(0, type, data);
        return driver.Take().size();
    }

    EventCollector events;
    FakeClock clock;
    platform::TimerQueue timers{clock};
    DecoderContext context;
    DecoderType decoder;
};
