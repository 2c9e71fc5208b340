// Firmware upload: the application's thread sends "DOWNLOAD" and waits for
// the unit's final answer; the reader thread plays the XMODEM-CRC sender.
#include "base/Trace.h"
#include "platform/Clock.h"
#include "unit/Xmodem.h"
#include "unit/ZAQ16PORT.h"

namespace {

constexpr uint32_t kIdleReadPauseMs = 10;
constexpr uint32_t kReaderTakeOverWaitMs = 3000;

enum DownloadState : uint32_t {
    kIdle = 0,
    kWaitingForReceiver = 1,
    kBlockToSend = 2,
    kBlockSent = 3,
    kEndSent = 4,  // EOT written; the receiver acknowledges it or gives its final line
};

}  // namespace

bool ZAQ16PORT::ClaimTransfer()
{
    std::lock_guard<std::mutex> guard(commandWriteLock);
    if (uploadClaimed) {
        return false;
    }
    uploadClaimed = true;
    return true;
}

void ZAQ16PORT::ReleaseTransfer()
{
    std::lock_guard<std::mutex> guard(commandWriteLock);
    uploadClaimed = false;
}

bool ZAQ16PORT::TransferClaimed()
{
    std::lock_guard<std::mutex> guard(commandWriteLock);
    return uploadClaimed;
}

uint32_t ZAQ16PORT::UploadFirmware(const char* path)
{
    // The reader plays the transfer: it cannot also wait for it (an upload from an event callback).
    if (OnOwnThread() || !ClaimTransfer()) {
        return ZAQ16_RET_NOT_READY;
    }
    std::FILE* image = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (image == nullptr) {
        ReleaseTransfer();
        return ZAQ16_RET_FILE_NOT_FOUND;
    }
    {
        std::lock_guard<std::mutex> guard(transferStepLock);
        firmwareFile = image;
        transfer = Transfer{};
        transferEntered = false;
        downloadState = kWaitingForReceiver;
    }
    // The receiver's first "C" must reach the transfer, not the text reader:
    // the command goes out once the reader has taken the transfer over.
    InterruptRead();
    for (uint32_t waited = 0; waited < kReaderTakeOverWaitMs && !transferEntered && ThreadRunning() &&
                              !StopRequested();
         ++waited) {
        platform::SleepMs(1);
    }
    uint32_t status = ZAQ16_RET_NOT_READY;
    if (transferEntered) {
        // Armed only now: from the hand-over on, the reader parses no answer
        // line until the transfer ends, so an earlier answer cannot end this wait.
        commandEvent.Reset();
        commandResult = ZAQ16_RET_PENDING;
        if (downloadState == kIdle || deviceLost || WriteCommandLine("DOWNLOAD", 8) == 0) {
            status = ZAQ16_RET_NOT_READY;
        } else if (!commandEvent.Wait(uploadWaitMs)) {
            status = ZAQ16_RET_TIMEOUT;
        } else {
            status = commandResult;
            Trace(TRACE_TRACE, "UploadFirmware", "%s\n", status == ZAQ16_RET_SUCCESS ? "SUCCESS" : "FAILED");
        }
    }
    {
        // Between two steps of the reader: the transfer ends as one change of
        // state and image, which the reader cannot undo.
        std::lock_guard<std::mutex> guard(transferStepLock);
        downloadState = kIdle;
        std::fclose(firmwareFile);
        firmwareFile = nullptr;
    }
    ReleaseTransfer();
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
    downloadState = kIdle;
}

void ZAQ16PORT::FailUpload()
{
    EndTransfer();
    commandResult = ZAQ16_RET_FAILED;
    commandEvent.Set();
}

void ZAQ16PORT::SendEndOfTransfer()
{
    const uint8_t eot = xmodem::kEot;
    if (OutString(&eot, 1, 1) == 1) {
        downloadState = kEndSent;
    } else {
        FailUpload();
    }
}

bool ZAQ16PORT::ReadTransferByte(uint8_t& byte)
{
    if (InString(&byte, 1, 1) == 1) {
        return true;
    }
    if (LastReadFailed()) {
        // The device has gone: nothing more can come.
        FailUpload();
    } else {
        platform::SleepMs(kIdleReadPauseMs);
    }
    return false;
}

void ZAQ16PORT::FirmwareStep()
{
    std::lock_guard<std::mutex> guard(transferStepLock);
    if (downloadState == kIdle || firmwareFile == nullptr) {
        downloadState = kIdle;
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
    switch (downloadState.load()) {
    case kWaitingForReceiver:
        if (!ReadTransferByte(byte)) {
            break;
        }
        if (byte == xmodem::kCan) {
            FailUpload();
        } else if (byte != xmodem::kCrcRequest) {
            transfer.creditedC = 0;
        } else if (transfer.creditedC == 0) {
            transfer.creditedC = 1;
        } else {
            // Two "C" in a row: the receiver is ready.
            std::fseek(firmwareFile, 0, SEEK_END);
            transfer.fileSize = std::ftell(firmwareFile);
            std::fseek(firmwareFile, 0, SEEK_SET);
            downloadState = kBlockToSend;
            PostDownloadStatus(0);
            transfer.blockNumber = 1;
            transfer.lastReported = 0;
        }
        break;
    case kBlockToSend: {
        Trace(TRACE_DEBUG, "ZAQ16PORT", "Sending packet %d\n", transfer.blockNumber);
        transfer.blockStart = std::ftell(firmwareFile);
        uint8_t block[xmodem::kBlockSize];
        const size_t read = std::fread(block, 1, sizeof block, firmwareFile);
        if (read == 0) {
            SendEndOfTransfer();
            break;
        }
        const auto frame = xmodem::BuildFrame(transfer.blockNumber, block, read);
        if (OutString(frame.data(), 1, static_cast<uint32_t>(frame.size())) == frame.size()) {
            downloadState = kBlockSent;
        } else {
            FailUpload();
        }
        break;
    }
    case kBlockSent:
        if (!ReadTransferByte(byte)) {
            break;
        }
        if (byte == xmodem::kAck) {
            Trace(TRACE_DEBUG, "ZAQ16PORT", "ACK %d\n", transfer.blockNumber);
            const uint32_t percent =
                transfer.fileSize > 0 ? static_cast<uint32_t>(transfer.blockStart * 100 / transfer.fileSize) : 0;
            if (percent % 10 == 0 && percent > transfer.lastReported) {
                PostDownloadStatus(percent);
                transfer.lastReported = percent;
            }
            ++transfer.blockNumber;
            // The end is found by position, so an image of whole blocks also ends with 100 %.
            if (std::ftell(firmwareFile) >= transfer.fileSize) {
                SendEndOfTransfer();
                PostDownloadStatus(100);
            } else {
                downloadState = kBlockToSend;
            }
        } else if (byte == xmodem::kNak) {
            Trace(TRACE_WARNING, "ZAQ16PORT", "XMODEM NAK %d\n", transfer.blockNumber);
            std::fseek(firmwareFile, transfer.blockStart, SEEK_SET);
            downloadState = kBlockToSend;
        } else if (byte == xmodem::kCan) {
            Trace(TRACE_WARNING, "ZAQ16PORT", "XMODEM CANCEL %d\n", transfer.blockNumber);
            FailUpload();
        }
        break;
    case kEndSent:
        if (!ReadTransferByte(byte)) {
            break;
        }
        if (byte == xmodem::kAck) {
            EndTransfer();
        } else if (byte == xmodem::kNak) {
            SendEndOfTransfer();
        } else if (byte == xmodem::kCan) {
            Trace(TRACE_WARNING, "ZAQ16PORT", "XMODEM CANCEL %d\n", transfer.blockNumber);
            FailUpload();
        } else {
            // A receiver that does not acknowledge EOT: this is its final answer.
            EndTransfer();
            TakeBytes(&byte, 1);
        }
        break;
    default:
        break;
    }
}
