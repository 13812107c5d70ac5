#include "ftp/UploadThread.h"

#include "framework/FolderItem.h"
#include "framework/Streams.h"
#include "framework/UserCancel.h"
#include "ftp/FtpDataSocket.h"
#include "ftp/FtpErrorCodes.h"
#include "ftp/TextLineEnds.h"

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

void UploadThread::SendFile() {
    FtpDataSocket* p = parent;
    std::optional<fw::FolderItem> file = fw::FolderItem::FromAbsolutePath(p->path);
    std::unique_ptr<fw::BinaryStream> in = file ? file->OpenAsBinaryFile() : nullptr;
    if (!in) {
        p->UploadFailed(FtpLocalFileUnreadable);
        return;
    }
    UploadLineEnds lineEnds;
    p->SetBulkSend(true);
    while (!in->AtEnd()) {
        if (fw::UserCancelled()) {
            in->Close();
            p->UploadFailed(FtpUploadCancelled);
            return;
        }
        std::string chunk = in->ReadUpTo(kChunkSize);
        std::string bytes;
        int32_t counted;
        if (p->Binary) {
            bytes = std::move(chunk);
            counted = static_cast<int32_t>(bytes.size());
        } else {
            std::string lf = lineEnds.ToLF(chunk, in->AtEnd());
            counted = static_cast<int32_t>(lf.size());
            bytes = WithLineEnds(lf, p->lineEndMode);
        }
        p->bufferClear = bytes.empty();
        p->Write(bytes);
        p->RaiseBytesTransfered(counted);
        // One chunk in the socket at a time: wait until it has left. A server that has stopped
        // reading would hold the wait for good, so the cancel key ends it too.
        bool cancelled = false;
        fw::GiveWayUntil([p, &cancelled] {
            // The loop may ask more than once; the key, read once, clears its latch.
            cancelled = cancelled || (!p->bufferClear && fw::UserCancelled());
            return p->bufferClear || cancelled;
        });
        if (cancelled) {
            in->Close();
            p->UploadFailed(FtpUploadCancelled);
            return;
        }
        fw::GiveWay();
    }
    in->Close();
    p->SetBulkSend(false);
    p->UploadSent();
}
