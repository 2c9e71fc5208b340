// Drives one decoder by hand: hands it packets as the reader would (through
// an in-memory device, right after the start marker), keeps the events it
// posts, moves a fake clock for its display timers, and opens its per-channel
// state to the tests.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "PacketDriver.h"
#include "support/EventCollector.h"
#include "support/FakeClock.h"
#include "support/MemorySerialDevice.h"
#include "decoders/DisplayRecord.h"

// The decoder with its protected state readable.
template <typename Decoder>
class Probe : public Decoder {
public:
    using Decoder::Decoder;
    const DisplayRecord& Record(uint8_t channel) const { return this->displayRecords[channel]; }
    std::string Text(uint8_t channel, size_t length) const { return std::string(this->displayRecords[channel].text, length); }
    // The decoder's display model (cursor, row split ...).
    const auto& Display() const { return this->display_; }
};

template <typename Decoder>
class DecoderDriver {
public:
    explicit DecoderDriver(uint32_t startChannel = 1) : port(std::make_shared<Probe<Decoder>>(nullptr, startChannel))
    {
        port->AttachDevice(std::make_unique<MemorySerialDevice>(wire));
        port->SetEventSink(events);
        port->Timers().SetClock(clock);
    }

    // One packet, from the header on; returns what HandlePacket returned.
    uint8_t Send(uint8_t channel, uint8_t type, const std::vector<uint8_t>& payload)
    {
        std::vector<uint8_t> bytes = Packet(channel, type, payload);
        bytes.erase(bytes.begin());  // the reader consumed the start marker
        Feed(*wire, bytes);
        return port->HandlePacket();
    }

    // Moves the clock, running each timer when it falls due, as the reader
    // does between packets.
    void Advance(uint32_t milliseconds) { AdvanceWithTimers(clock, port->Timers(), milliseconds); }

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

    ZAQ16_PHONE_STATUS Status(uint32_t channel)
    {
        ZAQ16_PHONE_STATUS status{};
        port->GetPhoneStatus(channel, &status);
        return status;
    }

    void EventUpdates(bool on) { port->m_EventUpdateFlag = on ? 1 : 0; }

    // How many events the same packet sent twice posts, with event updates on or off.
    static size_t EventsOfARepeat(bool updates, uint8_t type, const std::vector<uint8_t>& payload)
    {
        DecoderDriver driver;
        driver.EventUpdates(updates);
        driver.Send(0, type, payload);
        driver.Send(0, type, payload);
        return driver.Take().size();
    }

    std::shared_ptr<Wire> wire = std::make_shared<Wire>();
    EventCollector events;
    FakeClock clock;
    std::shared_ptr<Probe<Decoder>> port;
};
