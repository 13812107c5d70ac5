#include "mainwindow/Window1.h"

// The events of the control and the data connection, and the transfer progress.

void Window1::commandSocket_Error(FtpCommandSocket&) {}
void Window1::commandSocket_gotResponse(FtpCommandSocket&, const std::string&) {}
void Window1::commandSocket_gotServerError(FtpCommandSocket&, const std::string&) {}
void Window1::commandSocket_loggedIn(FtpCommandSocket&, const std::string&) {}
void Window1::commandSocket_remoteDirChanged(FtpCommandSocket&, const std::string&) {}
void Window1::commandSocket_userCancelledUpload(FtpCommandSocket&) {}
void Window1::dataSocket_bytesTransfered(FtpDataSocket&, int32_t) {}
void Window1::dataSocket_Connected(FtpDataSocket&) {}
void Window1::dataSocket_Error(FtpDataSocket&) {}
void Window1::dataSocket_FileTransferComplete(FtpDataSocket&) {}
void Window1::dataSocket_gotList(FtpDataSocket&, const std::string&) {}
void Window1::statusTimer_Action(fw::Timer&) {}
void Window1::Timer3_Action(fw::Timer&) {}
