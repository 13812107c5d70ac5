#include "ftp/TextLineEnds.h"

std::string UploadLineEnds::ToLF(const std::string& piece, bool last) {
    std::string out;
    out.reserve(piece.size() + 1);
    for (char c : piece) {
        if (pendingCR_) {
            pendingCR_ = false;
            out += '\n';  // the CR ends a line, whether or not an LF follows it
            if (c == '\n') continue;
        }
        if (c == '\r')
            pendingCR_ = true;
        else
            out += c;
    }
    if (last && pendingCR_) {
        pendingCR_ = false;
        out += '\n';
    }
    return out;
}

std::string WithLineEnds(const std::string& lfText, int32_t lineEndMode) {
    if (lineEndMode == 0) return lfText;
    std::string out;
    out.reserve(lineEndMode == 1 ? lfText.size() + lfText.size() / 16 : lfText.size());
    for (char c : lfText) {
        if (c != '\n') {
            out += c;
        } else if (lineEndMode == 1) {
            out += "\r\n";
        } else {
            out += '\r';
        }
    }
    return out;
}

std::string DownloadLineEnds::ToLocal(const std::string& piece) {
    std::string out;
    out.reserve(piece.size() + 1);
    for (char c : piece) {
        if (pendingCR_) {
            pendingCR_ = false;
            if (c == '\n') {
                out += '\n';
                continue;
            }
            out += '\r';
        }
        if (c == '\r')
            pendingCR_ = true;
        else
            out += c;
    }
    return out;
}

std::string DownloadLineEnds::Finish() {
    if (!pendingCR_) return {};
    pendingCR_ = false;
    return "\r";
}
