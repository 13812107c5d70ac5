#include "ftp/UploadThread.h"

#include <algorithm>

#include "framework/FolderItem.h"
#include "framework/Streams.h"
#include "framework/UserCancel.h"
#include "ftp/FtpDataSocket.h"
#include "ftp/FtpErrorCodes.h"
#include "ftp/TextLineEnds.h"

int64_t UploadThread::PieceSize(int32_t sendBufferSize) {
    // Whole pages, so that every read of the file starts on one.
    constexpr int64_t kPage = 4096;
    return std::clamp<int64_t>(sendBufferSize, kMinPieceSize, kMaxPieceSize) / kPage * kPage;
}

void UploadThread::Event_Run() {
    FtpDataSocket* p = parent;
    try {
        if (p->path == "bigString")
            p->sendString();
        else
            SendFile();
    } catch (const fw::ThreadKilled&) {
        throw;
    } catch (...) {
        // Whatever broke the upload, the server must not take what it got as the whole file.
        p->UploadFailed(FtpLocalFileUnreadable);
    }
}

bool UploadThread::WaitUnlessCancelled(const std::function<bool()>& ready) {
    // A server that has stopped reading would hold the wait for good, so the cancel key ends it.
    bool cancelled = false;
    fw::GiveWayUntil([&] {
        // The loop may ask more than once; the key, read once, clears its latch.
        cancelled = cancelled || (!ready() && fw::UserCancelled());
        return cancelled || ready();
    });
    return !cancelled;
}

void UploadThread::SendFile() {
    FtpDataSocket* p = parent;
    // The file as the control connection opened it; opened here only when it was not handed on.
    std::unique_ptr<fw::BinaryStream> in = std::move(p->uploadFile);
    if (!in) {
        std::optional<fw::FolderItem> file = fw::FolderItem::FromAbsolutePath(p->path);
        in = file ? file->OpenAsBinaryFile() : nullptr;
    }
    if (!in) {
        p->UploadFailed(FtpLocalFileUnreadable);
        return;
    }
    const auto fail = [&](int32_t code) {
        in->Close();
        p->UploadFailed(code);
    };
    const auto cancel = [&] { fail(FtpUploadCancelled); };
    // In active mode the server's connection may not have been taken yet: bytes written before it
    // would have nowhere to go. A connection that has already ended is met by the writes. An
    // empty file has nothing to send: the server's final reply, should it come without the
    // connection, ends the wait as well.
    const bool empty = in->Length() == 0;
    if (!WaitUnlessCancelled([p, empty] {
            return p->ConnectionForWrites() || !p->IsListening() || (empty && p->FinalReplyCame());
        }))
        return cancel();
    UploadLineEnds lineEnds;
    p->SetBulkSend(true);
    std::string piece = in->ReadUpTo(PieceSize(p->SendBufferSize()));
    while (!piece.empty()) {
        if (fw::UserCancelled()) return cancel();
        std::string bytes;
        int32_t counted;
        if (p->Binary) {
            bytes = std::move(piece);
            counted = static_cast<int32_t>(bytes.size());
        } else {
            std::string lf = lineEnds.ToLF(piece, in->AtEnd());
            counted = static_cast<int32_t>(lf.size());
            bytes = WithLineEnds(lf, p->lineEndMode);
        }
        p->bufferClear = bytes.empty();
        p->Write(bytes);
        p->RaiseBytesTransfered(counted);
        // The next piece is read while this one leaves; it is written once the socket has taken
        // this one.
        piece = in->ReadUpTo(PieceSize(p->SendBufferSize()));
        if (!WaitUnlessCancelled([p] { return p->bufferClear; })) return cancel();
    }
    // The file came to its end before the length it had when it was opened, or it was written
    // to while it was read: what went out must not be taken for the whole file.
    if (!in->AtEnd() || in->ChangedSinceOpened()) return fail(FtpLocalFileChanged);
    in->Close();
    p->SetBulkSend(false);
    p->UploadSent();
}
