#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "framework/Streams.h"
#include "framework/TCPSocket.h"

class FtpDataSocket;

// The FTP control connection: one operation per command, a few composite operations (listing,
// download, upload) carried through by a small state machine on the server's replies, and the
// active and passive set-up of the data connection. It never calls its owner; it reports through
// its events.
//
// Replies are assembled per RFC 959: "ddd-" opens a multi-line reply that ends at the line that
// begins "ddd ". Every line of a reply below 400 is reported through gotResponse as it arrives;
// the state machine acts on complete replies only. An error reply (400 or more) is reported whole
// through gotServerError, and abandons the operation under way; the replies after it are read as
// usual.
class FtpCommandSocket : public fw::TCPSocket {
public:
    FtpCommandSocket();
    ~FtpCommandSocket() override;

    // The representation type a file of this transfer type goes up in: "I" for "A" and "I" alike
    // (a text's line ends are the profile's already); any other letter as it is, for the server
    // to judge.
    static std::string UploadRepresentation(const std::string& transferType);

    // Connection properties, set by the owner before Connect.
    std::string userID;
    std::string password;
    FtpDataSocket* dataPort = nullptr;
    bool usePASV = false;

    // State of the current operation.
    bool codeFound = false;    // the awaited reply has arrived since the last command
    std::string status;        // the step whose confirming reply is awaited
    std::string expectedCode;  // the reply code that confirms the last command
    std::string result;        // reply text not yet processed
    std::string type;          // the next transfer's type: "A" text (line ends converted), "I"
    std::string fileName;      // remote name of the next transfer
    std::string systemstr;
    std::unique_ptr<fw::TextOutputStream> saveFile;  // a download's target, until RETR
    int32_t userTries = 0;                           // USER commands sent on this connection
    bool oneFile = false;
    bool dOneFile = false;
    std::string macType;
    std::string macCreator;
    std::string directory;  // argument of the next LIST

    // Events.
    std::function<void(FtpCommandSocket&, const std::string&)> gotResponse;
    std::function<void(FtpCommandSocket&, const std::string&)> gotServerError;
    std::function<void(FtpCommandSocket&, const std::string&)> loggedIn;
    std::function<void(FtpCommandSocket&, const std::string&)> remoteDirChanged;
    std::function<void(FtpCommandSocket&)> userCancelledUpload;

    // Inside gotResponse: whether the line just reported ends its reply, and that reply's code;
    // the bytes of its reply so far, the line and the line ends included.
    bool LineCompletesReply() const { return lineCompletesReply_; }
    int32_t ReplyCode() const { return replyCode_; }
    size_t ReplyBytesSoFar() const { return reply_.text.size(); }
    // Inside gotServerError: the error reply's code.
    int32_t ServerErrorCode() const { return serverErrorCode_; }

    // A listing's command (LIST or NLST) has been sent and no reply has confirmed its end yet.
    bool AwaitingTransferEnd() const { return expectedCode == "226" && !codeFound; }
    // No command awaits its confirming reply.
    bool AwaitsNoReply() const { return expectedCode.empty(); }
    // The server has accepted the upload's STOR, and has not given its final reply yet: a file
    // of what has been sent so far stands there.
    bool UploadAccepted() const { return status == "storing"; }
    // The listing asked for and not begun yet is not wanted any more: the reply to its PASV or
    // PORT, when it comes, opens no data connection and sends no LIST.
    void ForgoListing();

    // The server answers commands in the order they were written, one final reply each (1xx
    // replies are preliminary), the greeting answering the connection itself. Commands are
    // numbered from the connect request on: the connection is 1, the first command written 2.
    int64_t CommandsWritten() const { return commandsWritten_; }
    // Inside gotResponse, on the line that ends a final reply, and inside gotServerError: the
    // number of the command that reply answers; 0 elsewhere.
    int64_t ReplyAnswers() const { return replyAnswers_; }

    // The representation type the server has accepted on this connection ("A" or "I"); empty
    // while it is not known (before the first TYPE of a login, while a TYPE awaits its reply,
    // after a refused one). A transfer sends TYPE only when it needs another.
    const std::string& ServerType() const { return serverType_; }

    // Requests the connection (see TCPSocket::Connect) and starts the numbering of its commands.
    void Connect();

    // Commands. Each writes its line and returns at once; the reply arrives later.
    void sendUSER();
    void sendPASS();
    void sendPORT();
    void sendLIST();
    void sendCWD(const std::string& dir);
    void sendRETR();
    void sendSTOR();
    void sendTYPE(const std::string& representation);
    void sendQUIT();
    void sendPWD();
    void sendSYST();
    void sendNLST();
    void sendPASV();
    // These answer the number of the command written, or nothing when none could be.
    std::optional<int64_t> deleteFile(const std::string& name);
    std::optional<int64_t> makeDirectory(const std::string& name);
    std::optional<int64_t> deleteDirectory(const std::string& name);

    // Composite operations.
    void getList();
    void getNlst();
    void getDirList(const std::string& dir);
    void getFile(const std::string& remoteName, const std::string& localPath,
                 const std::string& transferType, const std::string& fileMacType,
                 const std::string& fileMacCreator);
    // An upload answers the number of its first command (TYPE, or PASV or PORT when the server has
    // the type already), or nothing when no command could be written (the reason is reported as
    // an error of the data connection or of this one).
    std::optional<int64_t> storFile(const std::string& localPath, const std::string& remoteName,
                                    const std::string& transferType);
    // The same with the local file already open (localFile, read from its start): it is handed to
    // the upload as it is, not opened again.
    std::optional<int64_t> storFile(std::unique_ptr<fw::BinaryStream> localFile,
                                    const std::string& localPath, const std::string& remoteName,
                                    const std::string& transferType);
    void storString(const std::string& text, const std::string& remoteName,
                    const std::string& transferType);
    void UploadOneFile(const std::string& host, const std::string& user, const std::string& pass,
                       const std::string& localPath, const std::string& remoteName,
                       const std::string& transferType, bool passive);
    void downloadOneFile(const std::string& host, const std::string& user, const std::string& pass,
                         const std::string& localPath, const std::string& remoteName,
                         const std::string& transferType, bool passive,
                         const std::string& fileMacType, const std::string& fileMacCreator);

    // Data ports. getPort listens (active mode) and answers the PORT argument, "" when no port of
    // the range could be listened on. setupPasvPort connects to the port a PASV reply names and
    // answers it, 0 when the reply names none.
    std::string getPort();
    int32_t setupPasvPort(const std::string& reply);

    // What a server sends is bounded, far above any real reply: a reply line (its CR LF aside)
    // and a whole multi-line reply. Past either the connection is ended and reported through
    // Error as FtpReplyTooLong.
    static constexpr size_t kMaxReplyLineBytes = size_t{4} << 20;
    static constexpr size_t kMaxReplyBytes = size_t{16} << 20;
    // The bytes that have come on the connections of this object, and those the reply parser
    // looked through for a line end or moved within its buffer: however a flood is cut into
    // reads, the second stays within a small multiple of the first.
    int64_t BytesReceived() const { return bytesReceived_; }
    int64_t BytesScanned() const { return bytesScanned_; }

protected:
    void Event_Connected() override;
    void Event_DataAvailable() override;

private:
    // Writes one command line awaiting code; refuses an argument that would break the line.
    bool Expect(const std::string& code, const std::string& word, const std::string& argument,
                bool hasArgument = true);
    void HandleLine(const std::string& line);
    void ReplyTooLong();
    void HandleErrorReply(const std::string& code, const std::string& text);
    void ActOnReply(const std::string& code, const std::string& text);
    bool Confirms(const std::string& code) const;
    bool MovesTransferOn(const std::string& code) const;
    bool ConfirmsUploadAtOnce(const std::string& code) const;
    void AcceptUpload();
    void Transition(const std::string& code, const std::string& text);
    bool OpenPassiveDataConnection(const std::string& text);
    void SendDataPortCommand();
    void StartTransfer(const std::string& typeStep, const std::string& portStep,
                       const std::string& representation);
    void PrepareOneFileConnection(const std::string& host, const std::string& user,
                                  const std::string& pass, const std::string& localPath,
                                  const std::string& remoteName, const std::string& transferType,
                                  bool passive);
    bool TransferBeingSetUp() const;

    struct PendingReply {
        bool open = false;
        bool multiLine = false;
        bool error = false;
        std::string code;
        std::string text;
    } reply_;
    bool awaitingGreeting_ = false;
    bool awaitingFinalReply_ = false;  // RETR or STOR accepted; its final reply is due
    bool lineCompletesReply_ = false;
    int32_t replyCode_ = 0;
    int32_t serverErrorCode_ = 0;
    int64_t commandsWritten_ = 0;
    int64_t finalReplies_ = 0;
    int64_t replyAnswers_ = 0;
    std::string serverType_;
    std::string typeRequested_;  // the argument of the TYPE awaiting its reply
    size_t scanFrom_ = 0;        // where in result the search for a line end goes on
    int64_t bytesReceived_ = 0;
    int64_t bytesScanned_ = 0;
};
