#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ftp/TextLineEnds.h"

namespace {

std::string UploadInPieces(const std::vector<std::string>& pieces) {
    UploadLineEnds conv;
    std::string out;
    for (size_t i = 0; i < pieces.size(); ++i) out += conv.ToLF(pieces[i], i + 1 == pieces.size());
    return out;
}

TEST(UploadLineEnds, EveryLocalLineEndBecomesOneLF) {
    EXPECT_EQ(UploadInPieces({"a\r\nb\rc\n"}), "a\nb\nc\n");
    EXPECT_EQ(UploadInPieces({"no line end"}), "no line end");
    EXPECT_EQ(UploadInPieces({"\r\r\n\n"}), "\n\n\n");
    EXPECT_EQ(UploadInPieces({"ends with CR\r"}), "ends with CR\n");
}

TEST(UploadLineEnds, ACRLFSplitBetweenPiecesIsOneLineEnd) {
    EXPECT_EQ(UploadInPieces({"a\r", "\nb"}), "a\nb");
    EXPECT_EQ(UploadInPieces({"a\r", "b"}), "a\nb");
    EXPECT_EQ(UploadInPieces({"a\r", "\r", "\nb\r"}), "a\n\nb\n");
    EXPECT_EQ(UploadInPieces({"a\r", ""}), "a\n");
}

TEST(WithLineEnds, WritesTheChosenConvention) {
    const std::string lf = "a\nb\nc\n";
    EXPECT_EQ(WithLineEnds(lf, 0), "a\nb\nc\n");
    EXPECT_EQ(WithLineEnds(lf, 1), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(WithLineEnds(lf, 2), "a\rb\rc\r");
    EXPECT_EQ(WithLineEnds(lf, 7), "a\rb\rc\r");
}

TEST(DownloadLineEnds, CRLFAndLoneLFBecomeLFAndALoneCRStays) {
    DownloadLineEnds conv;
    std::string out = conv.ToLocal("a\r\nb\nc\rd\r");
    out += conv.ToLocal("\ne\r");
    out += conv.Finish();
    EXPECT_EQ(out, "a\nb\nc\rd\ne\r");
}

}  // namespace
