// Upload throughput: a 200 MB binary file through FtpCommandSocket::storFile to vsftpd on
// loopback, and the same file with curl -T to the same server, in the same run. The client sends
// 2048-byte chunks, one in the socket at a time, so what it can reach depends on how soon the
// upload thread goes on once a chunk has left.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "framework/Application.h"
#include "tests/ftp/FtpClientHarness.h"
#include "tests/support/FtpServers.h"

namespace {

constexpr int64_t kFileSize = 200LL * 1000 * 1000;

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
    FtpClientHarness client;
    client.Connect(server.Port(), server.User(), server.Password(), true);
    if (!client.WaitForLogin()) return -1;
    auto start = std::chrono::steady_clock::now();
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

    // Each is run twice and the better run kept, so a passing hiccup of the machine decides less.
    double ours = -1, curl = -1;
    for (int run = 0; run < 2; ++run) {
        double o = UploadWithClient(server, file);
        double c = UploadWithCurl(server, file);
        if (o < 0 || c < 0) {
            std::fprintf(stderr, "an upload failed (ours %.3f s, curl %.3f s)\n", o, c);
            return 1;
        }
        ours = ours < 0 ? o : std::min(ours, o);
        curl = curl < 0 ? c : std::min(curl, c);
    }
    const double mb = static_cast<double>(kFileSize) / 1e6;
    std::printf("file: %.0f MB binary, vsftpd on loopback, passive mode\n", mb);
    std::printf("storFile: %.3f s, %.1f MB/s\n", ours, mb / ours);
    std::printf("curl -T:  %.3f s, %.1f MB/s\n", curl, mb / curl);
    std::printf("ratio: %.2f\n", curl / ours);
    return 0;
}
