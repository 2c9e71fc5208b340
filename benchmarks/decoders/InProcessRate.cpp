#include "InProcessRate.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "common/PacketFrame.h"
#include "decoders/CNeax2400D.h"
#include "decoders/DEFINITY2D.h"
#include "decoders/DMERIDIAN.h"
#include "decoders/ERRICSOND.h"
#include "decoders/NORSTARD.h"
#include "decoders/FUJITSU.h"
#include "decoders/HICOMD.h"
#include "decoders/INTERTELD.h"
#include "decoders/MERLINMAGIXD.h"
#include "platform/SerialDevice.h"
#include "platform/TimerQueue.h"
#include "unit/ZAQ16PORT.h"

namespace {

// Serves the same bytes over and over, as much as is asked for: a unit whose
// bytes are always there. Counts the packets whose last byte it has served.
class ReplayDevice final : public platform::SerialDevice {
public:
    explicit ReplayDevice(const std::vector<std::string>& packets)
    {
        for (const std::string& packet : packets) {
            bytes_ += packet;
            packetEnds_.push_back(bytes_.size());
        }
    }

    bool Configure(const platform::LineSettings&) override { return true; }
    platform::SerialTimeouts GetTimeouts() const override { return {}; }
    void SetTimeouts(const platform::SerialTimeouts&) override {}
    platform::IoResult Read(void* buffer, size_t size, int64_t) override
    {
        if (at_ == bytes_.size()) {
            at_ = 0;
            ++rounds_;
        }
        const size_t count = std::min(size, bytes_.size() - at_);
        std::memcpy(buffer, bytes_.data() + at_, count);
        at_ += count;
        return {count, 0};
    }
    platform::IoResult ReadArrived(void* buffer, size_t size, int64_t capMs) override
    {
        return Read(buffer, size, capMs);
    }
    platform::IoResult Write(const void*, size_t size) override { return {size, 0}; }
    bool Purge(bool, bool) override { return true; }
    bool ClearError() override { return true; }
    void Interrupt() override {}

    uint64_t PacketsServed() const
    {
        const auto inRound = std::upper_bound(packetEnds_.begin(), packetEnds_.end(), at_) - packetEnds_.begin();
        return rounds_ * packetEnds_.size() + static_cast<uint64_t>(inRound);
    }

private:
    std::string bytes_;
    std::vector<size_t> packetEnds_;
    size_t at_ = 0;
    uint64_t rounds_ = 0;
};

class CountingSink final : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT&) override
    {
        ++events;
        return 0;
    }
    uint64_t events = 0;
};

template <typename FamilyDecoder>
Rate Measure(const PacketMix& mix, double seconds)
{
    CountingSink sink;
    auto port = std::make_shared<ZAQ16PORT>(
        nullptr, 1, sink, [](DecoderContext& context) { return std::make_unique<FamilyDecoder>(context); });
    auto device = std::make_unique<ReplayDevice>(mix.packets);
    const ReplayDevice& unit = *device;
    port->AttachDevice(std::move(device));

    using Clock = std::chrono::steady_clock;
    constexpr uint64_t kStepsBetweenClockReads = 1024;
    Rate rate;
    const Clock::time_point start = Clock::now();
    for (;;) {
        for (uint64_t i = 0; i < kStepsBetweenClockReads; ++i) {
            port->Step();  // what one read takes, and the rest of a packet it ends inside
        }
        rate.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (rate.seconds >= seconds) {
            break;
        }
    }
    rate.packets = unit.PacketsServed();
    rate.events = sink.events;
    return rate;
}

// The decoder alone: packets handed to it on its DecoderContext, as the
// port's reader hands them over, with the due display timers run between packets.
template <typename FamilyDecoder>
Rate MeasureDecoder(const PacketMix& mix, double seconds)
{
    struct Item {
        uint8_t channel;
        uint8_t type;
        std::vector<uint8_t> data;
    };
    std::vector<Item> items;
    for (const std::string& packet : mix.packets) {
        wire::PacketFields fields;
        const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(packet.data()), packet.size());
        if (wire::ParsePacket(bytes, fields) != wire::PacketParse::Complete) {
            continue;  // the reader would not hand it over either
        }
        items.push_back({fields.channel, fields.type, std::vector<uint8_t>(fields.payload.begin(), fields.payload.end())});
    }
    CountingSink sink;
    platform::TimerQueue timers;
    DecoderContext context(1, sink, timers);
    FamilyDecoder decoder(context);

    using Clock = std::chrono::steady_clock;
    Rate rate;
    const Clock::time_point start = Clock::now();
    for (size_t at = 0;; ++at) {
        const Item& item = items[at % items.size()];
        decoder.Decode(Packet{item.channel, item.type, item.data.data(), static_cast<uint32_t>(item.data.size())});
        timers.RunDue();
        if (++rate.packets % 4096 == 0) {
            rate.seconds = std::chrono::duration<double>(Clock::now() - start).count();
            if (rate.seconds >= seconds) {
                break;
            }
        }
    }
    rate.events = sink.events;
    return rate;
}

struct Measurement {
    const char* decoder;
    Rate (*throughPort)(const PacketMix& mix, double seconds);
    Rate (*decoderAlone)(const PacketMix& mix, double seconds);
};

template <typename FamilyDecoder>
constexpr Measurement Of(const char* name)
{
    return {name, &Measure<FamilyDecoder>, &MeasureDecoder<FamilyDecoder>};
}

constexpr Measurement kMeasurements[] = {
    Of<DEFINITY2D>("DEFINITY2D"), Of<DMERIDIAN>("DMERIDIAN"),   Of<ERRICSOND>("ERRICSOND"),
    Of<NORSTARD>("NORSTARD"),     Of<CNeax2400D>("CNeax2400D"), Of<FUJITSU>("FUJITSU"),
    Of<HICOMD>("HICOMD"),         Of<MERLINMAGIXD>("MERLINMAGIXD"), Of<INTERTELD>("INTERTELD"),
};

const Measurement* MeasurementOf(const PacketMix& mix)
{
    for (const Measurement& measurement : kMeasurements) {
        if (mix.name == measurement.decoder) {
            return &measurement;
        }
    }
    return nullptr;
}

}  // namespace

Rate MeasureInProcess(const PacketMix& mix, double seconds)
{
    const Measurement* measurement = MeasurementOf(mix);
    return measurement != nullptr ? measurement->throughPort(mix, seconds) : Rate{};
}

Rate MeasureDecoderAlone(const PacketMix& mix, double seconds)
{
    const Measurement* measurement = MeasurementOf(mix);
    return measurement != nullptr ? measurement->decoderAlone(mix, seconds) : Rate{};
}
