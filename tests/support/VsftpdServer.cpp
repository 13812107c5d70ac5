#include "tests/support/VsftpdServer.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/support/FreePort.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TestFiles.h"

namespace testsupport {

namespace {

namespace fs = std::filesystem;

constexpr const char* kVsftpd = "/usr/sbin/vsftpd";
constexpr int kStartTimeoutMs = 10000;
constexpr int kBindAttempts = 5;
constexpr int kPollMs = 20;

// The ports the program listens on for active-mode data connections, 1025-1124
// (FtpCommandSocket::getPort); a server beside it must leave them free.
constexpr int kProgramActivePortsEnd = 1124;
constexpr int kLastPort = 65535;
// Enough for the listeners of every session of every vsftpd the tests run at once, many times
// over.
constexpr int kEnoughPassivePorts = 1000;

struct PortRange {
    int first = 0;
    int last = -1;
    int Size() const { return last - first + 1; }
};

// The ports the system gives connect() and port 0, in this process's network namespace (each
// has its own; the servers started from here share it). The kernel's default where unreadable.
PortRange EphemeralPorts() {
    PortRange range{32768, 60999};
    std::ifstream file("/proc/sys/net/ipv4/ip_local_port_range");
    PortRange read;
    if (file >> read.first >> read.last && read.Size() > 0) range = read;
    return range;
}

// Where vsftpd listens for PASV data connections; none when the ephemeral range leaves no room.
// Left to itself it draws each port from all of 1024-65535 and ends the session (500 OOPS:
// vsf_sysutil_bind) after a few draws in use, and in a busy run most ephemeral ports are: every
// client connection, the program's and other tests' alike, holds one, and keeps it for a minute
// in TIME_WAIT when the client closed first. Outside that range no client holds a port, and the
// ports the tests pick come from port 0 (FreePort.h), inside it. The TIME_WAITs of vsftpd's own
// data connections (the server closes a listing's first) do sit on its passive ports, but it
// binds them with SO_REUSEADDR: only its listeners of the moment are in its way, a few among
// the range's ports. Above the ephemeral range first, as the machine's services listen below.
std::optional<PortRange> PassivePorts() {
    const PortRange ephemeral = EphemeralPorts();
    const PortRange above{std::max(ephemeral.last, kProgramActivePortsEnd) + 1, kLastPort};
    const PortRange below{kProgramActivePortsEnd + 1, ephemeral.first - 1};
    if (above.Size() >= kEnoughPassivePorts) return above;
    const PortRange& larger = above.Size() >= below.Size() ? above : below;
    if (larger.Size() <= 0) return std::nullopt;
    return larger;
}

bool RunningAsRoot() {
    return geteuid() == 0;
}

// The account vsftpd serves anonymous users as; its uploads belong to it.
std::optional<std::pair<uid_t, gid_t>> AnonymousAccount() {
    const passwd* pw = getpwnam("ftp");
    if (!pw) return std::nullopt;
    return std::make_pair(pw->pw_uid, pw->pw_gid);
}

// Connects and reads up to the last line of the greeting; answers it, or "" on failure.
std::string ReadGreeting(int port, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    if (!socket.waitForConnected(timeoutMs)) return {};
    std::string greeting;
    while (!deadline.hasExpired()) {
        while (socket.canReadLine()) {
            std::string line = socket.readLine().toStdString();
            greeting += line;
            if (line.rfind("220 ", 0) == 0) return greeting;
        }
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
    }
    return {};
}

}  // namespace

VsftpdServer::VsftpdServer() : VsftpdServer(Options{}) {}

VsftpdServer::VsftpdServer(Options options)
    : options_(std::move(options)), folder_(std::make_unique<TempFolder>("vsftpd")) {
    root_ = folder_->Path() + "/root";
    PrepareRoot();
    std::string failure;
    for (int attempt = 0; attempt < kBindAttempts; ++attempt) {
        bool portTaken = false;
        if (StartOnce(failure, portTaken)) return;
        if (!portTaken) break;
    }
    throw std::runtime_error("vsftpd did not start: " + failure);
}

VsftpdServer::~VsftpdServer() {
    if (process_) process_->Stop();
}

void VsftpdServer::PrepareRoot() {
    // vsftpd refuses a chroot the anonymous user could write to.
    fs::create_directories(root_);
    chmod(folder_->Path().c_str(), 0755);
    chmod(root_.c_str(), 0755);
    PutDir("/" + options_.writableDirName);
    if (options_.createSampleContent) {
        std::string allBytes;
        for (int i = 0; i < 256; ++i) allBytes.push_back(static_cast<char>(i));
        PutFile("/readme.txt", "Quillomar test server\r\n");
        PutFile("/pub/data.bin", allBytes);
        PutFile("/pub/日本語.txt", "日本語\r\n");
        PutDir("/pub/empty");
        PutFile(RemoteWritableDir() + "/existing.txt", "existing\r\n");
    }
}

std::string VsftpdServer::RemotePath(const std::string& pathUnderRoot) const {
    return RunningAsRoot() ? pathUnderRoot : root_ + pathUnderRoot;
}

std::string VsftpdServer::LocalPath(const std::string& path) const {
    bool alreadyLocal = path == root_ || path.rfind(root_ + "/", 0) == 0;
    return alreadyLocal ? path : root_ + path;
}

void VsftpdServer::PutFile(const std::string& remotePath, const std::string& bytes) {
    fs::path local = LocalPath(remotePath);
    PutDir(local.parent_path().string());
    if (!WriteFile(local.string(), bytes)) {
        throw std::runtime_error("cannot write " + local.string());
    }
    MakeServable(local.string(), false);
}

void VsftpdServer::PutDir(const std::string& remotePath) {
    fs::path relative = fs::path(LocalPath(remotePath)).lexically_relative(root_);
    fs::path local = root_;
    for (const auto& part : relative) {
        if (part == ".") continue;
        local /= part;
        if (!fs::is_directory(local)) {
            fs::create_directories(local);
            MakeServable(local.string(), true);
        }
    }
}

void VsftpdServer::MakeServable(const std::string& localPath, bool isDir) {
    const std::string writable = WritableDir();
    bool inWritable = localPath == writable || localPath.rfind(writable + "/", 0) == 0;
    if (!inWritable) {
        chmod(localPath.c_str(), isDir ? 0755 : 0644);
        return;
    }
    auto account = AnonymousAccount();
    if (RunningAsRoot() && account) {
        chmod(localPath.c_str(), isDir ? 0755 : 0644);
        if (chown(localPath.c_str(), account->first, account->second) != 0) {
            throw std::runtime_error("cannot hand " + localPath + " to the ftp user");
        }
    } else {
        chmod(localPath.c_str(), isDir ? 0777 : 0666);
    }
}

bool VsftpdServer::StartOnce(std::string& failure, bool& portTaken) {
    port_ = options_.port > 0 ? options_.port : PickFreeTcpPort();
    const std::string dir = folder_->Path();
    std::ostringstream config;
    config << "listen=YES\nlisten_ipv6=NO\nbackground=NO\nseccomp_sandbox=NO\n"
           << "listen_address=127.0.0.1\nlisten_port=" << port_ << "\n"
           << "anonymous_enable=YES\nno_anon_password=YES\nanon_root=" << root_ << "\n"
           << "write_enable=YES\nanon_upload_enable=YES\nanon_mkdir_write_enable=YES\n"
           << "anon_other_write_enable=YES\nanon_umask=022\nlocal_enable=NO\n"
           << "connect_from_port_20=NO\nport_enable=YES\npasv_enable=YES\n"
           << "pasv_address=127.0.0.1\nascii_upload_enable=NO\nascii_download_enable=NO\n"
           << "xferlog_enable=NO\ndirmessage_enable=NO\nuse_localtime=NO\n"
           << "vsftpd_log_file=" << dir << "/vsftpd.log\n"
           << "secure_chroot_dir=/var/run/vsftpd/empty\n";
    if (const std::optional<PortRange> passive = PassivePorts()) {
        config << "pasv_min_port=" << passive->first << "\npasv_max_port=" << passive->last << "\n";
    }
    if (!RunningAsRoot()) config << "run_as_launching_user=YES\n";
    if (options_.banner) {
        if (options_.banner->find('\n') == std::string::npos) {
            config << "ftpd_banner=" << *options_.banner << "\n";
        } else {
            WriteFile(dir + "/banner.txt", *options_.banner + "\n");
            config << "banner_file=" << dir << "/banner.txt\n";
        }
    }
    for (const auto& line : options_.extraConfig) config << line << "\n";
    const std::string configPath = ConfigPath();
    WriteFile(configPath, config.str());
    chmod(configPath.c_str(), 0600);

    std::error_code ec;
    fs::remove(dir + "/output.log", ec);  // only this attempt's reasons
    process_ = std::make_unique<ServerProcess>();
    if (!process_->Start(kVsftpd, {configPath}, dir + "/output.log",
                         ServerProcess::Output::kAllAndStdinToLog)) {
        failure = kVsftpd + std::string(": ") + process_->ErrorText();
        return false;
    }
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!process_->ListensOn(port_)) {
        if (process_->WaitForExit(kPollMs)) {
            failure = "it exited: " + process_->LogText();
            portTaken = failure.find("could not bind") != std::string::npos;
            return false;
        }
        if (deadline.hasExpired()) {
            process_->Stop();
            failure = "it did not listen on port " + std::to_string(port_) + " within " +
                      std::to_string(kStartTimeoutMs / 1000) + " s: " + process_->LogText();
            return false;
        }
    }
    std::string greeting =
        ReadGreeting(port_, static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    if (greeting.empty()) {
        process_->Stop();
        failure = "it did not greet a connection with 220: " + LogText();
        return false;
    }
    return true;
}

void VsftpdServer::Signal(int signal) {
    process_->Signal(signal);
}

std::string VsftpdServer::ConfigPath() const {
    return folder_->Path() + "/vsftpd.conf";
}

std::string VsftpdServer::LogText() const {
    return ReadFile(folder_->Path() + "/output.log") + ReadFile(folder_->Path() + "/vsftpd.log");
}

}  // namespace testsupport
