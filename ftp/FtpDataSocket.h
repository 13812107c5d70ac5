#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/Streams.h"
#include "framework/TCPSocket.h"
#include "framework/Timer.h"
#include "ftp/TextLineEnds.h"

class UploadThread;

// The FTP data connection: one listing, download or upload at a time. The control connection sets
// the kind of transfer and its source or target and opens it; this socket collects a listing and
// delivers it whole when the server closes the connection, writes a download into its local file,
// and hands an upload to the upload thread.
//
// A download or an upload is complete only when the data connection has ended and the server's
// final reply to RETR or STOR has come (the control connection hands it over): then
// FileTransferComplete is raised, on the main thread. An upload's connection ends when every byte
// has been sent, the end of the file told, and the server has closed its end in order after it:
// a server that closes with bytes unread resets the connection instead, so only that close shows
// that it read the whole file, even one that confirmed the upload before reading it. A server
// that keeps its end open after its final reply is taken at its word once every byte and the end
// have been acknowledged, a moment later (kServerEndGraceMs), and on the same control connection
// at once from then on. A reset, or a connection found gone when the sending ends, is a broken
// upload whatever the final reply says. Every other end of a transfer is reported through Error,
// with LastErrorCode one of the socket codes or an FtpErrorCode.
class FtpDataSocket : public fw::TCPSocket {
public:
    FtpDataSocket();
    ~FtpDataSocket() override;

    // What a transfer carries.
    enum class Transfer { None, Listing, Download, Upload };

    bool Binary = false;   // bytes as they are; false: a text transfer, line ends converted
    std::string path;      // the local file of an upload, or "bigString"
    std::string listData;  // the listing received so far
    std::string remoteFileName;
    std::unique_ptr<fw::TextOutputStream>
        saveFile;           // the download's target; replaced only at the end
    std::string fileData;   // binary download bytes not yet written
    std::string bigString;  // an upload from memory
    // The upload's local file as the control connection opened it, handed to the upload thread;
    // without it the thread opens path itself.
    std::unique_ptr<fw::BinaryStream> uploadFile;
    int32_t lineEndMode = 0;   // a text upload's line ends: 0 LF, 1 CR LF, 2 CR (set by the owner)
    bool bufferClear = false;  // the last chunk written has left
    std::unique_ptr<UploadThread> upthd;

    // A transfer that makes no progress for this long is aborted and reported.
    int32_t stallTimeoutMs = 120000;
    // How long a server that keeps its end of an upload's connection open after its final reply,
    // every byte acknowledged, may still close or reset it before its word is taken: within 2 s,
    // with the timer's own slack.
    static constexpr int32_t kServerEndGraceMs = 1800;

    // Events.
    std::function<void(FtpDataSocket&, const std::string&)> gotList;
    std::function<void(FtpDataSocket&)> FileTransferComplete;
    std::function<void(FtpDataSocket&, int32_t)> bytesTransfered;

    // Starts the upload of path (the server has accepted STOR).
    void sendFile();
    // Sends bigString (on the upload thread).
    void sendString();

    // From the control connection.
    void TransferPrepared();              // a listing or transfer is about to start
    void FinalReply(int32_t code);        // the server's final reply to RETR or STOR (2xx)
    void AbandonTransfer();               // refused or given up: end it without events
    void ReportSetupError(int32_t code);  // the data connection could not be set up
    // A new control connection: what the last server showed of its ends is forgotten.
    void NewServerConnection() { serverKeepsEndOpen_ = false; }
    // The server's final reply to the transfer under way has come.
    bool FinalReplyCame() const { return finalReply_ != 0; }

    // From the upload thread.
    void RaiseBytesTransfered(int32_t n);
    void UploadSent();                // every byte handed over: the end of the sending follows them
    void UploadFailed(int32_t code);  // aborts the connection and reports the error

    bool TransferRunning() const { return transferActive_; }
    // What the current or next transfer carries; the control connection says it.
    bool Carries(Transfer kind) const { return status_ == kind; }
    void Carry(Transfer kind) { status_ = kind; }

    // A listing is held whole until its connection ends; past this many bytes it is ended and
    // reported as FtpListingTooLong.
    static constexpr size_t kMaxListingBytes = size_t{256} << 20;

protected:
    void Event_Connected() override;
    void Event_DataAvailable() override;
    void Event_SendComplete() override;
    void Event_Error() override;

private:
    void ReceiveDownload(const std::string& data);
    void FinishIfComplete();
    void EndTransfer();
    void StopUpload();
    void DiscardDownload();
    void Progress();
    void Stalled();
    void WatchCancelKey();
    void WatchServerEnd();
    void ServerEndWatchFired();
    void TakeServersWord();
    void StopWatchingServerEnd();

    Transfer status_ = Transfer::None;
    fw::Timer watchdog_;
    // While an upload waits for the server (to take it, to connect, or to confirm it once its
    // data has all gone), the cancel key is read here: a server that never answers must not hold
    // the run. While the upload thread sends, the thread reads it.
    fw::Timer cancelWatch_;
    DownloadLineEnds downloadLineEnds_;
    bool transferActive_ = false;  // a listing, download or upload is under way
    bool dataDone_ = false;        // the data connection of the download or upload has ended
    // The upload's data has all gone and its end been sent: the server has it all once it closes
    // its end of the data connection, whenever its final reply comes.
    bool awaitingServerEnd_ = false;
    // Once the final reply has come: polls for the acknowledgement of the end (every pollMs_),
    // then times the grace (graceRunning_) before the server's word is taken.
    fw::Timer serverEndWatch_;
    int32_t pollMs_ = 0;
    bool graceRunning_ = false;
    // This control connection's server has kept its end open after a final reply.
    bool serverKeepsEndOpen_ = false;
    int32_t finalReply_ = 0;  // the final reply's code, 0 until it comes
    bool uploadRunning_ = false;
};
