#include "ftp/FtpDataSocket.h"

#include <algorithm>

#include "framework/Event.h"
#include "framework/UserCancel.h"
#include "ftp/FtpErrorCodes.h"
#include "ftp/UploadThread.h"

namespace {

// A binary download is written to its file in batches of more than this many bytes.
constexpr size_t kDownloadBatch = 28000;
constexpr size_t kStringChunk = 512;
constexpr int32_t kCancelWatchMs = 100;
// The acknowledgement of an upload's end usually is in when the final reply comes; until then it
// is looked for soon, then less and less often (a server that has stopped reading may hold it
// until the watchdog ends the transfer).
constexpr int32_t kFirstAcknowledgementPollMs = 10;
constexpr int32_t kLastAcknowledgementPollMs = 320;

}  // namespace

FtpDataSocket::FtpDataSocket() {
    watchdog_.Action = [this](fw::Timer&) { Stalled(); };
    cancelWatch_.SetPeriod(kCancelWatchMs);
    cancelWatch_.Action = [this](fw::Timer&) { WatchCancelKey(); };
    serverEndWatch_.Action = [this](fw::Timer&) { ServerEndWatchFired(); };
}

FtpDataSocket::~FtpDataSocket() {
    StopUpload();
}

// --- Transfers as the control connection drives them ---

void FtpDataSocket::TransferPrepared() {
    StopUpload();
    DiscardDownload();
    transferActive_ = true;
    dataDone_ = false;
    finalReply_ = 0;
    StopWatchingServerEnd();
    downloadLineEnds_ = DownloadLineEnds{};
    Progress();
    // A server that stops before it takes the upload must not hold the run either.
    if (Carries(Transfer::Upload)) cancelWatch_.SetMode(fw::Timer::kModeMultiple);
}

void FtpDataSocket::FinalReply(int32_t code) {
    finalReply_ = code;
    FinishIfComplete();
    WatchServerEnd();
}

void FtpDataSocket::AbandonTransfer() {
    StopUpload();
    Abort();
    DiscardDownload();
    EndTransfer();
}

void FtpDataSocket::ReportSetupError(int32_t code) {
    AbandonTransfer();
    PostError(code);
}

void FtpDataSocket::sendFile() {
    if (!upthd)
        upthd = std::make_unique<UploadThread>();
    else
        upthd->Kill();
    upthd->parent = this;
    uploadRunning_ = true;
    Progress();
    upthd->Run();
}

// --- Progress and the end of a transfer ---

void FtpDataSocket::Progress() {
    if (!transferActive_) return;
    watchdog_.SetPeriod(stallTimeoutMs);
    if (watchdog_.GetMode() == fw::Timer::kModeSingle)
        watchdog_.Reset();
    else
        watchdog_.SetMode(fw::Timer::kModeSingle);
}

void FtpDataSocket::EndTransfer() {
    uploadFile.reset();
    transferActive_ = false;
    dataDone_ = false;
    finalReply_ = 0;
    watchdog_.SetMode(fw::Timer::kModeOff);
    cancelWatch_.SetMode(fw::Timer::kModeOff);
    StopWatchingServerEnd();
}

void FtpDataSocket::StopWatchingServerEnd() {
    awaitingServerEnd_ = false;
    graceRunning_ = false;
    pollMs_ = 0;
    serverEndWatch_.SetMode(fw::Timer::kModeOff);
}

void FtpDataSocket::StopUpload() {
    if (!uploadRunning_) return;
    uploadRunning_ = false;
    if (upthd) upthd->Kill();
}

void FtpDataSocket::DiscardDownload() {
    if (saveFile) saveFile->Discard();
    saveFile.reset();
    fileData.clear();
    std::string().swap(listData);  // a listing cut off may have been of hundreds of megabytes
}

// Complete once the data has all gone (or come) and the server has confirmed it.
void FtpDataSocket::FinishIfComplete() {
    if (!transferActive_ || !dataDone_ || finalReply_ == 0) return;
    EndTransfer();
    if (Carries(Transfer::Download) && saveFile) {
        try {
            saveFile->Close();
        } catch (const fw::StreamError&) {
            saveFile.reset();
            PostEvent([this] {
                SetLastErrorCode(FtpLocalFileUnwritable);
                fw::RaiseEvent(Error, *this);
            });
            return;
        }
        saveFile.reset();
    }
    // Raised as an event of its own, on the main thread, whoever noticed the completion.
    PostEvent([this] { fw::RaiseEvent(FileTransferComplete, *this); });
}

void FtpDataSocket::Stalled() {
    if (!transferActive_) return;
    AbandonTransfer();
    SetLastErrorCode(FtpTransferStalled);
    fw::RaiseEvent(Error, *this);
}

void FtpDataSocket::WatchCancelKey() {
    if (!transferActive_ || !Carries(Transfer::Upload)) {
        cancelWatch_.SetMode(fw::Timer::kModeOff);
        return;
    }
    if (uploadRunning_ || !fw::UserCancelled()) return;  // a running upload reads it itself
    AbandonTransfer();
    SetLastErrorCode(FtpUploadCancelled);
    fw::RaiseEvent(Error, *this);
}

// --- Socket events ---

void FtpDataSocket::Event_Connected() {
    listData.clear();
    fileData.clear();
    Progress();
    fw::TCPSocket::Event_Connected();
}

void FtpDataSocket::Event_DataAvailable() {
    if (Carries(Transfer::Listing)) {
        std::string data = ReadAll();
        if (listData.size() + data.size() > kMaxListingBytes) {
            // A server that streams without end must not take the memory with it.
            AbandonTransfer();
            PostError(FtpListingTooLong);
            return;
        }
        listData += data;
        Progress();
    } else if (Carries(Transfer::Download)) {
        std::string data = ReadAll();
        try {
            ReceiveDownload(data);
        } catch (const fw::StreamError&) {
            AbandonTransfer();
            PostError(FtpLocalFileUnwritable);
        }
    }
    // During an upload the server has nothing to say here: its bytes stay unread.
}

void FtpDataSocket::ReceiveDownload(const std::string& data) {
    if (!saveFile) throw fw::StreamError("no file to write the download to");
    Progress();
    if (Binary) {
        fileData += data;
        if (fileData.size() > kDownloadBatch) {
            saveFile->Write(fileData);
            fileData.clear();
        }
        fw::RaiseEvent(bytesTransfered, *this, static_cast<int32_t>(data.size()));
        return;
    }
    std::string local = downloadLineEnds_.ToLocal(data);
    saveFile->Write(local);
    fw::RaiseEvent(bytesTransfered, *this, static_cast<int32_t>(local.size()));
}

void FtpDataSocket::Event_SendComplete() {
    bufferClear = true;
    if (uploadRunning_) Progress();
}

void FtpDataSocket::Event_Error() {
    const int32_t code = LastErrorCode();
    if (code == fw::kSocketPeerClosed) {
        if (Carries(Transfer::Listing)) {
            EndTransfer();
            std::string text = std::move(listData);
            listData.clear();
            fw::RaiseEvent(gotList, *this, text);
            return;
        }
        if (Carries(Transfer::Download) && transferActive_) {
            try {
                if (saveFile) saveFile->Write(Binary ? fileData : downloadLineEnds_.Finish());
                fileData.clear();
            } catch (const fw::StreamError&) {
                AbandonTransfer();
                SetLastErrorCode(FtpLocalFileUnwritable);
                fw::RaiseEvent(Error, *this);
                return;
            }
            dataDone_ = true;
            FinishIfComplete();
            return;
        }
        if (awaitingServerEnd_) {
            awaitingServerEnd_ = false;
            dataDone_ = true;
            FinishIfComplete();
            return;
        }
        if (!uploadRunning_) return;  // nothing was being carried
    }
    // The transfer under way ends here: a download keeps its old target, an upload is reported
    // as broken off, whatever the server made of it.
    // A reset before the server closed its end may have cut what it read.
    const bool uploadBroken = uploadRunning_ || awaitingServerEnd_;
    StopUpload();
    if (transferActive_) {
        Abort();
        DiscardDownload();
        EndTransfer();
    }
    if (uploadBroken && code < FtpLocalFileUnreadable) SetLastErrorCode(FtpDataConnectionLost);
    fw::TCPSocket::Event_Error();
}

// --- The upload thread's side ---

void FtpDataSocket::RaiseBytesTransfered(int32_t n) {
    fw::RaiseEvent(bytesTransfered, *this, n);
}

void FtpDataSocket::UploadSent() {
    uploadRunning_ = false;
    // The end of the sending tells the server that the file is complete; the data has all
    // arrived once the server closes its end in turn. Without a connection to end (an empty
    // upload's that never came up) the final reply alone tells.
    if (EndSending()) {
        awaitingServerEnd_ = true;
        WatchServerEnd();
    } else {
        TakeServersWord();
    }
    if (transferActive_) cancelWatch_.SetMode(fw::Timer::kModeMultiple);
}

// After its final reply a server may keep its end of the connection open. Once its system has
// acknowledged every byte and the end, it has a moment to close or reset it; then its word
// stands, and on this control connection it stands at once from then on: the server has shown
// that it keeps its end open.
void FtpDataSocket::WatchServerEnd() {
    if (!transferActive_ || !awaitingServerEnd_ || finalReply_ == 0 || graceRunning_) return;
    if (!EndAcknowledged()) {
        pollMs_ = pollMs_ == 0 ? kFirstAcknowledgementPollMs
                               : std::min(2 * pollMs_, kLastAcknowledgementPollMs);
        serverEndWatch_.SetPeriod(pollMs_);
        serverEndWatch_.SetMode(fw::Timer::kModeSingle);
        return;
    }
    if (serverKeepsEndOpen_) {
        TakeServersWord();
        return;
    }
    graceRunning_ = true;
    serverEndWatch_.SetMode(fw::Timer::kModeOff);
    serverEndWatch_.SetPeriod(kServerEndGraceMs);
    serverEndWatch_.SetMode(fw::Timer::kModeSingle);
}

void FtpDataSocket::ServerEndWatchFired() {
    if (!graceRunning_) {
        WatchServerEnd();
        return;
    }
    // The server's end may have come in the same moment: its report, not the grace, decides.
    if (!EndAcknowledged()) return;
    serverKeepsEndOpen_ = true;
    TakeServersWord();
}

void FtpDataSocket::TakeServersWord() {
    StopWatchingServerEnd();
    Close();  // whatever the server's end does from now on answers nothing
    dataDone_ = true;
    FinishIfComplete();
}

void FtpDataSocket::UploadFailed(int32_t code) {
    uploadRunning_ = false;
    Abort();  // a reset, not an end: the server must not take the file as complete
    EndTransfer();
    PostError(code);
}

void FtpDataSocket::sendString() {
    // A text without any CR LF gets CR LF line ends.
    if (!Binary && bigString.find("\r\n") == std::string::npos) {
        std::string converted;
        for (char c : bigString) converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
        bigString = std::move(converted);
    }
    for (size_t pos = 0; pos <= bigString.size(); pos += kStringChunk) {
        if (fw::UserCancelled()) {
            UploadFailed(FtpUploadCancelled);
            return;
        }
        std::string chunk = bigString.substr(pos, kStringChunk);
        Write(chunk);
        RaiseBytesTransfered(static_cast<int32_t>(chunk.size()));
        fw::GiveWay();
    }
    UploadSent();
}
