// Upload throughput: a 200 MB binary file through FtpCommandSocket::storFile to vsftpd on
// loopback, and the same file with curl -T to the same server, in the same run. Both are timed
// alike, from the connection to the end of the transfer, the login included (curl's process start
// too, a few milliseconds); the two run in interleaved pairs, the order alternating, until the
// median ratio is steady.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/PairedRuns.h"
#include "framework/Application.h"
#include "tests/ftp/FtpClientHarness.h"
#include "tests/support/FtpServers.h"

namespace {

constexpr int64_t kFileSize = 200LL * 1000 * 1000;
// A pair takes half a second to two. The time of one upload varies by a factor of two to three
// from one to the next, even on a quiet machine, so that the median needs many pairs.
constexpr bench::PairCount kPairs{9, 81};

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool WriteRandomFile(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    std::mt19937_64 random(42);
    std::string block(1 << 20, '\0');
    for (int64_t written = 0; written < kFileSize; written += static_cast<int64_t>(block.size())) {
        for (size_t i = 0; i < block.size(); i += 8) {
            uint64_t v = random();
            std::memcpy(&block[i], &v, 8);
        }
        size_t n = static_cast<size_t>(std::min<int64_t>(kFileSize - written, block.size()));
        out.write(block.data(), static_cast<std::streamsize>(n));
    }
    return static_cast<bool>(out);
}

// Seconds our client takes to upload the file, or a negative value when the upload failed.
double UploadWithClient(const testsupport::VsftpdServer& server, const std::string& file) {
    auto start = std::chrono::steady_clock::now();
    FtpClientHarness client;
    client.Connect(server.Port(), server.User(), server.Password(), true);
    if (!client.WaitForLogin()) return -1;
    int done = client.transfersComplete;
    client.command.storFile(file, server.RemoteWritableDir() + "/ours.bin", "I");
    bool ok = client.WaitFor(
        [&] {
            return client.transfersComplete > done || !client.dataErrors.empty() ||
                   !client.serverErrors.empty();
        },
        600000);
    double seconds = Seconds(start);
    if (!ok || client.transfersComplete == done) return -1;
    if (std::filesystem::file_size(server.WritableDir() + "/ours.bin") !=
        static_cast<uintmax_t>(kFileSize))
        return -1;
    return seconds;
}

double UploadWithCurl(const testsupport::VsftpdServer& server, const std::string& file) {
    std::string command = "curl --silent --show-error --upload-file '" + file + "' 'ftp://" +
                          server.Host() + ":" + std::to_string(server.Port()) +
                          server.RemoteWritableDir() + "/curl.bin' --user '" + server.User() + ":" +
                          server.Password() + "'";
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    return Seconds(start);
}

}  // namespace

int main() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    fw::EnsurePlatformApplication();
    testsupport::TempFolder folder("upload-bench");
    const std::string file = folder.Path() + "/payload.bin";
    if (!WriteRandomFile(file)) {
        std::fprintf(stderr, "can't write the payload file\n");
        return 1;
    }
    testsupport::VsftpdServer server;

    bench::PairedTimes times;
    const bool ran = bench::RunPairsUntilSteady(kPairs, {&times}, [&](int pair) {
        double o = -1, c = -1;
        if (bench::OursFirst(pair)) {
            o = UploadWithClient(server, file);
            c = UploadWithCurl(server, file);
        } else {
            c = UploadWithCurl(server, file);
            o = UploadWithClient(server, file);
        }
        if (o < 0 || c < 0) {
            std::fprintf(stderr, "an upload failed (ours %.3f s, curl %.3f s)\n", o, c);
            return false;
        }
        times.Add(o, c);
        return true;
    });
    if (!ran) return 1;
    const double mb = static_cast<double>(kFileSize) / 1e6;
    std::printf("file: %.0f MB binary, vsftpd on loopback, passive mode\n", mb);
    bench::ReportTimes("upload", "curl", times);
    std::printf("upload ours: %.1f MB/s\n", mb / bench::Median(times.ours));
    std::printf("upload curl: %.1f MB/s\n", mb / bench::Median(times.peer));
    // Throughput is the inverse of time: ours / curl's throughput is curl's time / ours.
    std::vector<double> throughputRatios;
    for (double r : times.Ratios()) throughputRatios.push_back(1 / r);
    std::printf("upload throughput ratio (ours/curl): %s\n",
                bench::MedianAndSpread(throughputRatios, "%.2f").c_str());
    return 0;
}
