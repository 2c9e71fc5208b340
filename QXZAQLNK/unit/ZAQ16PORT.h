// ZAQ16PORT: one monitoring unit as the library sees it: sixteen consecutive
// channels from start_channel, a byte source (its COM port; none for
// playback; memory in tests), a reader thread that separates the unit's byte stream into text lines (the
// answers of the command protocol) and D-channel packets (handed to the
// decoder of the unit's PBX family, when it has one), the command operations
// that application threads call, and the per-channel display and phone state
// (the decoder context) that the decoder fills.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/EventSink.h"
#include "decoders/Decoder.h"
#include "platform/Sync.h"
#include "platform/TimerQueue.h"
#include "qxzaqlnk.h"
#include "unit/ByteSource.h"
#include "unit/CommandChannel.h"
#include "unit/DumpFileReader.h"
#include "unit/DumpRecording.h"
#include "unit/Live.h"
#include "unit/OptionCommands.h"
#include "unit/PacketFramer.h"
#include "unit/SerialPort.h"
#include "unit/UnitAnswers.h"
#include "unit/XmodemSender.h"

class ZAQ16PORT : public CLive,
                  private PacketFramer::Receiver,
                  private CommandChannel::UnitLine {
public:
    static constexpr uint32_t kChannels = 16;
    static constexpr uint32_t kCommandBufferSize = CommandChannel::kCommandBufferSize;
    static constexpr uint32_t kCommandWaitMs = CommandChannel::kCommandWaitMs;
    static constexpr uint32_t kRestartWaitMs = CommandChannel::kRestartWaitMs;

    // Makes the decoder of the port's PBX family on the port's context.
    using DecoderMaker = std::function<std::unique_ptr<Decoder>(DecoderContext&)>;

    // portName: the device path, or null for a port without a COM port. The
    // port's events (and its decoder's) go to `sink`. Without a decoder maker
    // the port reads, records and plays packets back without decoding them.
    ZAQ16PORT(const char* portName, uint32_t start_channel, EventSink& sink, const DecoderMaker& makeDecoder = nullptr);
    ~ZAQ16PORT() override;

    void Main() override;
    // Copies a system channel's display text (not zero-terminated).
    uint32_t GetMessage(uint32_t channel, char* buffer, uint32_t size);
    // The PBX's date and time as second, minute, hour, day, month, year (+3 unused words).
    uint32_t GetPBXDateTime(int32_t time[9]);

    // One pass of the reader loop (read a byte or a packet, run due timers);
    // false when the thread must end. Tests drive a port with it, without a thread.
    bool Step();

    // ---- command protocol (application threads): the port's command channel
    uint32_t SendCmd(const char* text) { return commands.SendCmd(text); }
    uint32_t SendCmdBytes(const void* bytes, size_t length) { return commands.SendCmdBytes(bytes, length); }
    uint32_t SetOption(const char* text, uint32_t answerWaitMs = kCommandWaitMs)
    {
        return commands.SetOption(text, answerWaitMs);
    }
    uint32_t SetOptionBytes(const void* bytes, size_t length, const char* traceText,
                            uint32_t answerWaitMs = kCommandWaitMs)
    {
        return commands.SetOptionBytes(bytes, length, traceText, answerWaitMs);
    }
    int32_t QueryValue(std::atomic<int32_t>& member, const char* text) { return commands.QueryValue(member, text); }
    uint32_t Restart() { return commands.Restart(); }
    uint32_t SetOptionValue(UnitOption option, int32_t value) { return commands.SetOptionValue(option, value); }
    int32_t GetOptionValue(UnitOption option) { return commands.GetOptionValue(option); }
    uint32_t SetPBXLevel(int32_t level) { return commands.SetPBXLevel(level); }
    int32_t GetPBXLevel() { return commands.GetPBXLevel(); }
    // Light masks 0 and 1: at most 9 characters.
    uint32_t SetLightMask(int mask, const char* text) { return commands.SetLightMask(mask, text); }
    // Copies the mask with its terminator to `out` (10 bytes) and returns its
    // first character; 0 when the unit gave none.
    char GetLightMask(int mask, char* out) { return commands.GetLightMask(mask, out); }
    int32_t GetPBXType() { return commands.GetPBXType(); }
    // Asks for "DISPLAY VERSIONS"; 1 when the firmware version came within 720 ms.
    int GetBoardInfo() { return commands.GetBoardInfo(); }
    uint32_t GetSerialNumber(uint32_t* serial) { return commands.GetSerialNumber(serial); }
    int32_t GetDChannelStatus() { return commands.GetDChannelStatus(); }
    // The 16 level bytes, one per line.
    uint32_t GetPhoneLevels(uint8_t* levels) { return commands.GetPhoneLevels(levels); }
    // The four 16-byte error tables (64 bytes) into `out`, or with null: read and clear them.
    uint32_t CheckErrors(uint8_t* out) { return commands.CheckErrors(out); }
    const char* GetPortName() const { return serial.GetPortName(); }

    // ---- the unit's line: the COM port, or a source a test hands in
    // Replaces the line the reader reads and commands write (before the reader starts).
    void AttachSource(std::unique_ptr<ByteSource> replacement);
    // Gives the COM port another device (tests hand in an in-memory one).
    void AttachDevice(std::unique_ptr<platform::SerialDevice> device) { serial.AttachDevice(std::move(device)); }
    bool IsOpen() const { return source->IsOpen(); }
    // Lets the line go (another port may open the device at once); 1 when it was open.
    uint32_t Close() { return source->Close(); }
    void PurgeInput() { source->PurgeInput(); }

    // ---- record and playback
    // With a path: appends every packet this unit accepts to that dump file
    // (false for a path too long to keep); with null: stops.
    bool RecordDumpFile(const char* path);
    // The dump file this unit is recorded into; empty when it is not.
    std::string RecordingFile() const { return recording.File(); }
    // A playback port: opens the dump file and reads its header; with null,
    // asks a running playback to end. ZAQ16_RET_SUCCESS or ZAQ16_RET_FILE_NOT_FOUND.
    uint32_t PlayDumpFile(const char* path);
    // Playback timing: 0 no waits, > 0 that many ms before each record, < 0 the recorded gaps.
    int32_t timeMode = -1;
    // Called on the reader thread as this port's playback ends: once before
    // QXEVT_FINISHED_PLAY is delivered, once after.
    enum class PlaybackEnd { BeforeFinishedEvent, AfterFinishedEvent };
    std::function<void(ZAQ16PORT&, PlaybackEnd)> onPlaybackEnd;

    // ---- firmware upload (application thread; the transfer runs on the reader thread)
    uint32_t UploadFirmware(const char* path);
    // The longest wait for the unit's final answer to an upload.
    uint32_t uploadWaitMs = 90000;

    // ---- state read-back (application threads)
    uint32_t GetPhoneStatus(uint32_t channel, ZAQ16_PHONE_STATUS* out);

    uint32_t StartChannel() const { return context.StartChannel(); }
    uint32_t Board() const { return context.Board(); }
    const UnitAnswers& Answers() const { return commands.Answers(); }
    void ForgetDChannelStatus() { commands.ForgetDChannelStatus(); }
    // The text line the unit has not ended yet.
    std::string_view PendingLine() const { return framer.PendingLine(); }

    // The PBX type this port was created for (set by the port factory).
    uint32_t createdPbxType = ZAQ16_PBX_UNKNOWN;

    // The switch of the posting rule: repeats of an unchanged state are posted while it is on.
    void SetEventUpdates(bool on) { context.SetEventUpdates(on); }
    bool EventUpdates() const { return context.EventUpdates(); }

    // The decoder of the port's PBX family; null for a plain port.
    Decoder* GetDecoder() const { return decoder.get(); }

    // ---- what the protocol engines reach instead of the system
    void SetEventSink(EventSink& sink) { context.SetEventSink(sink); }
    uint32_t PostEvent(const ZAQ16_EVENT& event) { return context.Sink().Post(event); }
    platform::TimerQueue& Timers() { return timers; }

protected:
    void WakeForStop() override;

private:
    void LiveStep();
    bool PlaybackStep();
    bool PlaybackRecord();
    // Passes over another unit's record; false (playback ended) when the file ends inside it.
    bool SkipRecordedPacket();
    void EndPlayback(const char* reason);
    // False when a stop ended the wait.
    bool WaitBeforeRecord(uint32_t recordedGap);
    void FirmwareStep();
    void FailUpload();
    void EndTransfer();
    enum class TransferRead { Byte, Idle, DeviceGone };
    TransferRead ReadTransferByte(uint8_t& byte);
    void PostDownloadStatus(uint32_t percent);
    // Bytes of the live stream, to the framer; a packet they begin is read to its end.
    void TakeBytes(const uint8_t* bytes, size_t count);
    // Reads the rest of the packet the framer is inside: the unit sends it back to back.
    void FinishPacket();
    void OnPacket(const FramedPacket& packet) override;
    void OnLine(std::string_view line) override;
    // Hands a packet the unit or the dump file gave to the decoder.
    void HandlePacket(const Packet& packet);
    // Playback: one record's packet from the dump file, after its start
    // marker; false (traced) when the file ends inside it or its checksum fails.
    bool ReadRecordedPacket(Packet& packet);
    void PostStartStop(uint32_t channel, bool on);
    void WaitForStopWithin(uint32_t milliseconds);

    // The command channel's way to the unit: this port's line.
    uint32_t Send(const void* bytes, size_t size) override;
    bool Connected() const override { return IsOpen(); }

    CSerialPort serial;
    std::unique_ptr<ByteSource> attachedSource;
    ByteSource* source = &serial;  // the serial port, or the attached source

    CommandChannel commands{*this};

    platform::TimerQueue timers;
    DecoderContext context;
    PacketFramer framer;
    platform::AutoResetEvent stopSignal;

    DumpRecording recording;

    // Playback: the file (read only by the reader thread once it runs).
    DumpFileReader dumpFile;
    std::atomic<bool> playbackOpen{false};
    std::atomic<bool> stopPlayback{false};
    // Starts free, so the first wait of a playback returns at once; a stop releases it.
    platform::Lock wakeSemaphore{1};

    // Firmware transfer: the sender runs on the reader thread while `transferRunning`.
    std::atomic<bool> transferRunning{false};
    // Held by the reader for each transfer step: the sender is set up and
    // dropped only between steps.
    std::mutex transferStepLock;
    std::optional<XmodemSender> sender;        // under transferStepLock
    std::atomic<bool> transferEntered{false};  // the reader has taken the transfer over

    // Declared last: it goes first, while the context and the timers it uses remain.
    std::unique_ptr<Decoder> decoder;
};
