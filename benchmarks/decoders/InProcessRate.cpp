#include "InProcessRate.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "decoders/DEFINITY2D.h"
#include "decoders/DMERIDIAN.h"
#include "decoders/INTERTELD.h"
#include "decoders/MERLINMAGIXD.h"
#include "platform/SerialDevice.h"
#include "unit/ZAQ16PORT.h"

namespace {

// Serves the same bytes over and over; the end falls between two packets, so
// no read of the reader straddles it.
class ReplayDevice final : public platform::SerialDevice {
public:
    explicit ReplayDevice(std::string bytes) : bytes_(std::move(bytes)) {}

    bool Configure(const platform::LineSettings&) override { return true; }
    platform::SerialTimeouts GetTimeouts() const override { return {}; }
    void SetTimeouts(const platform::SerialTimeouts&) override {}
    platform::IoResult Read(void* buffer, size_t size, int64_t) override
    {
        if (at_ == bytes_.size()) {
            at_ = 0;
        }
        const size_t count = std::min(size, bytes_.size() - at_);
        std::memcpy(buffer, bytes_.data() + at_, count);
        at_ += count;
        return {count, 0};
    }
    platform::IoResult Write(const void*, size_t size) override { return {size, 0}; }
    bool Purge(bool, bool) override { return true; }
    bool ClearError() override { return true; }
    void Interrupt() override {}

private:
    std::string bytes_;
    size_t at_ = 0;
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
    std::string stream;
    for (const std::string& packet : mix.packets) {
        stream += packet;
    }
    CountingSink sink;
    auto port = std::make_shared<ZAQ16PORT>(
        nullptr, 1, sink, [](DecoderContext& context) { return std::make_unique<FamilyDecoder>(context); });
    port->AttachDevice(std::make_unique<ReplayDevice>(stream));

    using Clock = std::chrono::steady_clock;
    constexpr uint64_t kStepsBetweenClockReads = 4096;
    Rate rate;
    const Clock::time_point start = Clock::now();
    for (;;) {
        for (uint64_t i = 0; i < kStepsBetweenClockReads; ++i) {
            port->Step();  // one whole packet per step
        }
        rate.packets += kStepsBetweenClockReads;
        rate.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (rate.seconds >= seconds) {
            break;
        }
    }
    rate.events = sink.events;
    return rate;
}

template <typename FamilyDecoder>
Rate MeasureAlone(const PacketMix& mix, double seconds)
{
    constexpr size_t kHeader = 4;  // start marker, channel, type, length; the checksum follows the payload
    std::vector<Packet> packets;
    for (const std::string& bytes : mix.packets) {
        Packet packet;
        packet.channel = static_cast<uint8_t>(bytes[1]);
        packet.type = static_cast<uint8_t>(bytes[2]);
        packet.data = reinterpret_cast<const uint8_t*>(bytes.data()) + kHeader;
        packet.length = static_cast<uint32_t>(bytes.size() - kHeader - 1);
        packets.push_back(packet);
    }
    CountingSink sink;
    platform::TimerQueue timers;
    DecoderContext context(1, sink, timers);
    FamilyDecoder decoder(context);

    using Clock = std::chrono::steady_clock;
    Rate rate;
    const Clock::time_point start = Clock::now();
    for (;;) {
        for (const Packet& packet : packets) {
            decoder.Decode(packet);
            timers.RunDue();
        }
        rate.packets += packets.size();
        rate.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (rate.seconds >= seconds) {
            break;
        }
    }
    rate.events = sink.events;
    return rate;
}

struct Measurement {
    const char* name;
    Rate (*throughPort)(const PacketMix& mix, double seconds);
    Rate (*alone)(const PacketMix& mix, double seconds);
};

constexpr Measurement kMeasurements[] = {
    {"DEFINITY2D", &Measure<DEFINITY2D>, &MeasureAlone<DEFINITY2D>},
    {"DMERIDIAN", &Measure<DMERIDIAN>, &MeasureAlone<DMERIDIAN>},
    {"MERLINMAGIXD", &Measure<MERLINMAGIXD>, &MeasureAlone<MERLINMAGIXD>},
    {"INTERTELD", &Measure<INTERTELD>, &MeasureAlone<INTERTELD>},
};

const Measurement* Find(const PacketMix& mix)
{
    for (const Measurement& measurement : kMeasurements) {
        if (mix.name == measurement.name) {
            return &measurement;
        }
    }
    return nullptr;
}

}  // namespace

Rate MeasureInProcess(const PacketMix& mix, double seconds)
{
    const Measurement* measurement = Find(mix);
    return measurement != nullptr ? measurement->throughPort(mix, seconds) : Rate{};
}

Rate MeasureDecoderAlone(const PacketMix& mix, double seconds)
{
    const Measurement* measurement = Find(mix);
    return measurement != nullptr ? measurement->alone(mix, seconds) : Rate{};
}
