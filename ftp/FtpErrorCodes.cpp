#include "ftp/FtpErrorCodes.h"

std::string FtpErrorText(int32_t code) {
    switch (code) {
        case FtpLocalFileUnreadable:
            return "the local file can't be read";
        case FtpLocalFileUnwritable:
            return "the local file can't be written";
        case FtpDataConnectionLost:
            return "the data connection was broken off; the file on the server may be incomplete";
        case FtpTransferStalled:
            return "the transfer made no progress and was stopped";
        case FtpBadPassiveReply:
            return "the server's reply to PASV names no usable port";
        case FtpNoActivePort:
            return "no local port could be opened for the data connection";
        case FtpUploadCancelled:
            return "the upload was cancelled; the file on the server may be incomplete";
        case FtpLocalFileChanged:
            return "the local file changed while it was sent; the file on the server is incomplete";
        case FtpUnsafeArgument:
            return "a command argument holds a line break or NUL and was not sent";
        case FtpListingTooLong:
            return "the listing is longer than any folder's and was stopped";
        case FtpReplyTooLong:
            return "the server's reply is longer than any reply and the connection was ended";
        default:
            return "socket error " + std::to_string(code);
    }
}
