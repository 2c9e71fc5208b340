// Firmware upload: the application's thread sends "DOWNLOAD" and waits for
// the unit's final answer; the reader thread feeds the XMODEM sender the
// receiver's bytes and the time, and writes what it gives.
#include <cstdio>

#include "base/Trace.h"
#include "platform/Clock.h"
#include "unit/ZAQ16PORT.h"

namespace {

constexpr uint32_t kIdleReadPauseMs = 10;
constexpr uint32_t kReaderTakeOverWaitMs = 3000;

// The whole image, read before the transfer starts.
bool ReadImage(const char* path, std::vector<uint8_t>& image)
{
    std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) {
        return false;
    }
    uint8_t piece[64 * 1024];
    size_t read = 0;
    while ((read = std::fread(piece, 1, sizeof piece, file)) > 0) {
        image.insert(image.end(), piece, piece + read);
    }
    const bool complete = std::ferror(file) == 0;
    std::fclose(file);
    return complete;
}

}  // namespace

uint32_t ZAQ16PORT::UploadFirmware(const char* path)
{
    // The reader plays the transfer: it cannot also wait for it (an upload from an event callback).
    if (OnOwnThread() || !commands.ClaimForUpload()) {
        return ZAQ16_RET_NOT_READY;
    }
    std::vector<uint8_t> image;
    if (!ReadImage(path, image)) {
        commands.ReleaseUpload();
        return ZAQ16_RET_FILE_NOT_FOUND;
    }
    // A command already waiting for its answer gets it before the line changes hands.
    const LockHold turn = commands.TakeTurn(kCommandWaitMs);
    if (!turn) {
        commands.ReleaseUpload();
        return ZAQ16_RET_NOT_READY;
    }
    {
        std::lock_guard<std::mutex> guard(transferStepLock);
        sender.emplace(std::move(image), timers.clock(), XmodemSender::Limits{}, &Trace,
                       [this](uint32_t percent) { PostDownloadStatus(percent); });
        transferEntered = false;
        transferRunning = true;
    }
    // The receiver's first "C" must reach the transfer, not the text reader:
    // the command goes out once the reader has taken the transfer over.
    source->InterruptRead();
    for (uint32_t waited = 0; waited < kReaderTakeOverWaitMs && !transferEntered && ThreadRunning() &&
                              !StopRequested();
         ++waited) {
        platform::SleepMs(1);
    }
    uint32_t status = ZAQ16_RET_NOT_READY;
    if (transferEntered) {
        // Armed only now: from the hand-over on, the reader parses no answer
        // line until the transfer ends, so an earlier answer cannot end this wait.
        commands.ArmAnswer();
        std::optional<uint32_t> answer;
        if (!transferRunning || commands.Lost() || commands.WriteCommandLine("DOWNLOAD", 8) == 0) {
            status = ZAQ16_RET_NOT_READY;
        } else if (!(answer = commands.AwaitAnswer(uploadWaitMs))) {
            status = ZAQ16_RET_TIMEOUT;
        } else {
            status = *answer;
            Trace(TRACE_TRACE, "UploadFirmware", "%s\n", status == ZAQ16_RET_SUCCESS ? "SUCCESS" : "FAILED");
        }
    }
    {
        // Between two steps of the reader: the transfer ends as one change,
        // which the reader cannot undo.
        std::lock_guard<std::mutex> guard(transferStepLock);
        transferRunning = false;
        sender.reset();
    }
    commands.ReleaseUpload();
    return status;
}

void ZAQ16PORT::PostDownloadStatus(uint32_t percent)
{
    ZAQ16_EVENT event{};
    event.eventCode = QXEVT_DOWNLOAD_STATUS;
    event.param = percent;
    event.board = Board();
    PostEvent(event);
}

void ZAQ16PORT::EndTransfer()
{
    framer.Reset();
    transferRunning = false;
}

void ZAQ16PORT::FailUpload()
{
    EndTransfer();
    commands.EndWaitWith(ZAQ16_RET_FAILED);
}

ZAQ16PORT::TransferRead ZAQ16PORT::ReadTransferByte(uint8_t& byte)
{
    if (source->Read(&byte, 1, -1) == 1) {
        return TransferRead::Byte;
    }
    if (source->LastReadFailed()) {
        return TransferRead::DeviceGone;
    }
    platform::SleepMs(kIdleReadPauseMs);
    return TransferRead::Idle;
}

void ZAQ16PORT::FirmwareStep()
{
    std::lock_guard<std::mutex> guard(transferStepLock);
    if (!transferRunning || !sender) {
        transferRunning = false;
        return;
    }
    if (!transferEntered) {
        // No text is assembled during the transfer.
        framer.Reset();
        transferEntered = true;
    }
    if (StopRequested()) {
        FailUpload();
        return;
    }
    uint8_t byte = 0;
    bool byteTaken = true;
    std::string out;
    switch (ReadTransferByte(byte)) {
    case TransferRead::Byte:
        byteTaken = sender->Feed(byte, out);
        break;
    case TransferRead::Idle:
        sender->Poll(out);
        break;
    case TransferRead::DeviceGone:
        // Nothing more can come.
        FailUpload();
        return;
    }
    if (!out.empty() && source->Write(out.data(), out.size()) != out.size()) {
        sender->WriteFailed();
    }
    switch (sender->outcome()) {
    case XmodemSender::Outcome::Running:
        break;
    case XmodemSender::Outcome::Delivered:
        EndTransfer();
        if (!byteTaken) {
            TakeBytes(&byte, 1);
        }
        break;
    case XmodemSender::Outcome::Failed:
        FailUpload();
        break;
    }
}
