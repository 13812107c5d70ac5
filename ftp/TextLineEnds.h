#pragma once

#include <cstdint>
#include <string>

// Line-end conversion of text transfers, piece by piece, so that a CR LF pair split between two
// pieces still counts as one line end.

// Upload: a local text's line ends (CR LF, lone CR, LF) become LF.
class UploadLineEnds {
public:
    // last: this is the final piece; a CR held back from the previous piece is settled.
    std::string ToLF(const std::string& piece, bool last);

private:
    bool pendingCR_ = false;
};

// The LF form of a text in the line-end convention of a LineEndMode: 0 LF, 1 CR LF, any other CR.
std::string WithLineEnds(const std::string& lfText, int32_t lineEndMode);

// Download: the server's CR LF and a lone LF each become the platform's line end (LF); a lone CR
// is kept.
class DownloadLineEnds {
public:
    std::string ToLocal(const std::string& piece);
    std::string Finish();  // what is still held back at the end of the transfer

private:
    bool pendingCR_ = false;
};
