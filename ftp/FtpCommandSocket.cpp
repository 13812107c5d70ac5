// The control connection's commands and composite operations. Every command clears codeFound and
// sets the code that will confirm it before its line is written, and every command whose reply
// moves nothing else on sets a state of its own, so that its reply is never taken for the answer
// to an earlier command.
#include "ftp/FtpCommandSocket.h"

#include "framework/FileDialogs.h"
#include "framework/FolderItem.h"
#include "framework/MessageDialog.h"
#include "framework/Strings.h"
#include "ftp/FtpDataSocket.h"
#include "ftp/FtpErrorCodes.h"

std::string FtpCommandSocket::UploadRepresentation(const std::string& transferType) {
    // Under TYPE A a server would turn the line ends the upload has given a text into its own.
    return transferType == "A" ? "I" : transferType;
}

FtpCommandSocket::FtpCommandSocket() = default;
FtpCommandSocket::~FtpCommandSocket() = default;

bool FtpCommandSocket::Expect(const std::string& code, const std::string& word,
                              const std::string& argument, bool hasArgument) {
    // An argument with a line break would let a file name smuggle in commands of its own.
    if (argument.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
        PostError(FtpUnsafeArgument);
        return false;
    }
    codeFound = false;
    expectedCode = code;
    ++commandsWritten_;
    Write(hasArgument ? word + " " + argument + "\r\n" : word + "\r\n");
    return true;
}

void FtpCommandSocket::Connect() {
    commandsWritten_ = 1;  // the greeting answers the connection
    finalReplies_ = 0;
    serverType_.clear();
    if (dataPort) dataPort->NewServerConnection();
    fw::TCPSocket::Connect();
}

void FtpCommandSocket::sendUSER() {
    ++userTries;
    serverType_.clear();  // a login may set the transfer parameters back to their defaults
    Expect("331", "USER", userID);
}

void FtpCommandSocket::sendPASS() {
    Expect("230", "PASS", password);
}

void FtpCommandSocket::sendPORT() {
    std::string argument = getPort();
    if (argument.empty()) return;  // reported by getPort; no PORT without a listening port
    Expect("200", "PORT", argument);
}

void FtpCommandSocket::sendLIST() {
    dataPort->Carry(FtpDataSocket::Transfer::Listing);
    dataPort->Binary = false;
    Expect("226", "LIST", directory, !directory.empty());
    directory.clear();
}

void FtpCommandSocket::sendCWD(const std::string& dir) {
    if (Expect("250", "CWD", dir)) status = "cwd";
}

void FtpCommandSocket::sendRETR() {
    dataPort->Carry(FtpDataSocket::Transfer::Download);
    dataPort->Binary = type == "I";
    dataPort->saveFile = std::move(saveFile);
    Expect("150", "RETR", fileName);
}

void FtpCommandSocket::sendSTOR() {
    dataPort->Carry(FtpDataSocket::Transfer::Upload);
    dataPort->Binary = type == "I";
    Expect("150", "STOR", fileName);
}

void FtpCommandSocket::sendTYPE(const std::string& representation) {
    serverType_.clear();  // until the server confirms it
    if (Expect("200", "TYPE", representation)) typeRequested_ = representation;
}

void FtpCommandSocket::sendQUIT() {
    status = "quit";
    Expect("221", "QUIT", "", false);  // the goodbye is awaited like any other reply
}

void FtpCommandSocket::sendPWD() {
    Expect("257", "PWD", "", false);
}

void FtpCommandSocket::sendSYST() {
    status = "syst";
    Expect("215", "SYST", "", false);
}

void FtpCommandSocket::sendNLST() {
    dataPort->Carry(FtpDataSocket::Transfer::Listing);
    dataPort->Binary = false;
    Expect("226", "NLST", "", false);
}

void FtpCommandSocket::sendPASV() {
    Expect("227", "PASV", "", false);
}

std::optional<int64_t> FtpCommandSocket::deleteFile(const std::string& name) {
    if (!Expect("250", "DELE", name)) return std::nullopt;
    status = "dele";
    return commandsWritten_;
}

std::optional<int64_t> FtpCommandSocket::makeDirectory(const std::string& name) {
    if (!Expect("257", "MKD", name)) return std::nullopt;
    status = "mkd";
    return commandsWritten_;
}

std::optional<int64_t> FtpCommandSocket::deleteDirectory(const std::string& name) {
    if (!Expect("250", "RMD", name)) return std::nullopt;
    status = "rmd";
    return commandsWritten_;
}

void FtpCommandSocket::SendDataPortCommand() {
    if (usePASV)
        sendPASV();
    else
        sendPORT();
}

// A transfer's TYPE, or its data port straight away when the server has that type already: one
// round trip less for every file after the first of a kind.
void FtpCommandSocket::StartTransfer(const std::string& typeStep, const std::string& portStep,
                                     const std::string& representation) {
    if (serverType_ == representation) {
        status = portStep;
        SendDataPortCommand();
        return;
    }
    status = typeStep;
    sendTYPE(representation);
}

void FtpCommandSocket::getList() {
    status = "list-port";
    SendDataPortCommand();
}

void FtpCommandSocket::ForgoListing() {
    if (status != "list-port" && status != "nlist-port") return;
    status = "";
    if (dataPort) dataPort->AbandonTransfer();  // a port listening for the server's connection
}

void FtpCommandSocket::getNlst() {
    status = "nlist-port";
    SendDataPortCommand();
}

void FtpCommandSocket::getDirList(const std::string& dir) {
    directory = dir;
    getList();
}

void FtpCommandSocket::getFile(const std::string& remoteName, const std::string& localPath,
                               const std::string& transferType, const std::string& /*fileMacType*/,
                               const std::string& /*fileMacCreator*/) {
    // A file type and creator are metadata that files here don't carry.
    std::optional<fw::FolderItem> target;
    if (localPath.empty()) {
        size_t slash = remoteName.rfind('/');
        std::string proposed =
            slash == std::string::npos ? remoteName : remoteName.substr(slash + 1);
        target = fw::GetSaveFolderItem(proposed);
        if (!target) {
            fw::RaiseEvent(userCancelledUpload, *this);
            return;
        }
    } else {
        target = fw::FolderItem::FromAbsolutePath(localPath);
    }
    // The file is written beside its target and replaces it only when the download is complete.
    std::unique_ptr<fw::TextOutputStream> stream = target ? target->CreateTextFile() : nullptr;
    if (!stream) {
        fw::MsgBox("File Error! Are you sure the path " + localPath + " is valid?");
        return;
    }
    saveFile = std::move(stream);
    type = transferType;
    fileName = remoteName;
    StartTransfer("retr-type", "retr-port", type);
}

std::optional<int64_t> FtpCommandSocket::storFile(const std::string& localPath,
                                                  const std::string& remoteName,
                                                  const std::string& transferType) {
    std::optional<fw::FolderItem> file = fw::FolderItem::FromAbsolutePath(localPath);
    return storFile(file ? file->OpenAsBinaryFile() : nullptr, localPath, remoteName, transferType);
}

std::optional<int64_t> FtpCommandSocket::storFile(std::unique_ptr<fw::BinaryStream> localFile,
                                                  const std::string& localPath,
                                                  const std::string& remoteName,
                                                  const std::string& transferType) {
    // A file that can't be read is never uploaded as an empty one: nothing is sent at all.
    if (!localFile) {
        dataPort->ReportSetupError(FtpLocalFileUnreadable);
        return std::nullopt;
    }
    type = transferType;
    fileName = remoteName;
    // From its data port on, the upload answers the cancel key.
    dataPort->Carry(FtpDataSocket::Transfer::Upload);
    dataPort->remoteFileName = remoteName;
    dataPort->path = localPath;
    dataPort->uploadFile = std::move(localFile);
    const int64_t before = commandsWritten_;
    StartTransfer("stor-type", "stor-port", UploadRepresentation(type));
    if (commandsWritten_ == before) return std::nullopt;  // no data port, or an unsafe argument
    return before + 1;
}

void FtpCommandSocket::storString(const std::string& text, const std::string& remoteName,
                                  const std::string& transferType) {
    type = transferType;
    fileName = remoteName;
    dataPort->Carry(FtpDataSocket::Transfer::Upload);
    dataPort->bigString = text;
    dataPort->remoteFileName = remoteName;
    dataPort->path = "bigString";
    dataPort->uploadFile.reset();
    // A text from memory goes with CR LF line ends (see FtpDataSocket::sendString), the form of
    // TYPE A, in which the server stores it in its own convention.
    StartTransfer("stor-type", "stor-port", type);
}

void FtpCommandSocket::PrepareOneFileConnection(const std::string& host, const std::string& user,
                                                const std::string& pass,
                                                const std::string& localPath,
                                                const std::string& remoteName,
                                                const std::string& transferType, bool passive) {
    Address = host;
    userID = user;
    password = pass;
    type = transferType;
    fileName = remoteName;
    dataPort->path = localPath;
    dataPort->uploadFile.reset();  // the upload opens path itself
    dataPort->remoteFileName = remoteName;
    usePASV = passive;
}

void FtpCommandSocket::UploadOneFile(const std::string& host, const std::string& user,
                                     const std::string& pass, const std::string& localPath,
                                     const std::string& remoteName, const std::string& transferType,
                                     bool passive) {
    PrepareOneFileConnection(host, user, pass, localPath, remoteName, transferType, passive);
    oneFile = true;
    Connect();
}

void FtpCommandSocket::downloadOneFile(const std::string& host, const std::string& user,
                                       const std::string& pass, const std::string& localPath,
                                       const std::string& remoteName,
                                       const std::string& transferType, bool passive,
                                       const std::string& fileMacType,
                                       const std::string& fileMacCreator) {
    PrepareOneFileConnection(host, user, pass, localPath, remoteName, transferType, passive);
    dOneFile = true;
    macType = fileMacType;
    macCreator = fileMacCreator;
    Connect();
}

void FtpCommandSocket::Event_Connected() {
    codeFound = false;
    expectedCode = "220";
    userTries = 0;
    awaitingGreeting_ = true;
    awaitingFinalReply_ = false;
    serverType_.clear();  // a new connection starts in the server's default type
    typeRequested_.clear();
    // Nothing of an earlier connection's replies may run into this one's greeting.
    result.clear();
    scanFrom_ = 0;
    reply_ = PendingReply{};
    fw::TCPSocket::Event_Connected();
}
