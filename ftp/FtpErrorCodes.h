#pragma once

#include <cstdint>
#include <string>

// Error codes that the FTP client reports through a socket's Error event (LastErrorCode), beside
// the socket layer's own (100 other, 102 closed by the peer, 103 host not found, 104 reset, 105
// address in use).
enum FtpErrorCode : int32_t {
    FtpLocalFileUnreadable = 201,  // the file to upload can't be opened or read
    FtpLocalFileUnwritable = 202,  // the downloaded file can't be written
    FtpDataConnectionLost = 203,   // the server closed or reset the data connection mid-upload
    FtpTransferStalled = 204,      // no progress for too long; the transfer was aborted
    FtpBadPassiveReply = 205,      // the reply to PASV names no usable port
    FtpNoActivePort = 206,         // no port of the active range could be listened on
    FtpUploadCancelled = 207,      // the user pressed the cancel keystroke during an upload
    FtpUnsafeArgument = 208,       // a command argument held CR, LF or NUL; nothing was sent
    FtpLocalFileChanged = 209,     // the file to upload was cut short or written to while sent
    FtpListingTooLong = 210,       // a listing went past its bound; its connection was ended
    FtpReplyTooLong = 211,         // a reply went past its bound; the connection was ended
};

// A short English description of a code, for messages and logs.
std::string FtpErrorText(int32_t code);
