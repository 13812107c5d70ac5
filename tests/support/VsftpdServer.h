#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class ServerProcess;
class TempFolder;

struct VsftpdServerOptions {
    // The 220 greeting (ftpd_banner). With a "\n" it goes through banner_file, and vsftpd sends
    // each line as "220-line" and then "220 " alone. Unset: vsftpd's own.
    std::optional<std::string> banner;
    // readme.txt, pub/data.bin (bytes 0..255), pub/日本語.txt, pub/empty/ and, in the writable
    // folder, existing.txt.
    bool createSampleContent = false;
    std::string writableDirName = "upload";
    std::vector<std::string> extraConfig;  // "key=value" lines, after (and over) the defaults
    int port = 0;  // the port to listen on (21 in a private network namespace); 0: a free one
};

// vsftpd (Debian's /usr/sbin/vsftpd) on 127.0.0.1, for anonymous login ("ftp", any password). Its
// root is read-only, as vsftpd requires of a chroot; the writable folder under it (/upload) takes
// uploads, folders, renames and deletes. TYPE A uploads are stored as sent. Its PASV ports lie
// outside the system's ephemeral range and the program's active-mode ports, where no client
// connection can hold one however many there are. The constructor returns once the server
// answered a connection with 220; it throws std::runtime_error when the server cannot start.
class VsftpdServer {
public:
    using Options = VsftpdServerOptions;

    VsftpdServer();
    explicit VsftpdServer(Options options);
    ~VsftpdServer();
    VsftpdServer(const VsftpdServer&) = delete;
    VsftpdServer& operator=(const VsftpdServer&) = delete;

    int Port() const { return port_; }
    std::string Host() const { return "127.0.0.1"; }
    const std::string& Root() const { return root_; }  // local path of "/"
    std::string WritableDir() const { return root_ + "/" + options_.writableDirName; }
    std::string RemoteWritableDir() const { return RemotePath("/" + options_.writableDirName); }
    // The name a client uses for a path under Root(), such as "/pub/data.bin". As root, vsftpd
    // chroots into Root() and that is the path itself; run by another user it cannot, and then
    // starts in Root() but names it by its local path.
    std::string RemotePath(const std::string& pathUnderRoot) const;
    std::string User() const { return "ftp"; }
    std::string Password() const { return "guest@example.com"; }

    // Puts a file (or an empty folder) at a path under Root() such as "/upload/a.txt" (or the
    // RemotePath() of one), with the owner and mode the anonymous user needs: inside the writable
    // folder it may overwrite and delete them, elsewhere only read. Files written to Root()
    // directly may lack both.
    void PutFile(const std::string& remotePath, const std::string& bytes);
    void PutDir(const std::string& remotePath);

    // The configuration file it runs, named on the command line of each of its processes.
    std::string ConfigPath() const;
    // vsftpd's own output and its log file.
    std::string LogText() const;
    void Signal(int signal);  // to the server and its sessions

private:
    void PrepareRoot();
    std::string LocalPath(const std::string& path) const;
    void MakeServable(const std::string& localPath, bool isDir);
    bool StartOnce(std::string& failure, bool& portTaken);

    Options options_;
    std::unique_ptr<TempFolder> folder_;
    std::unique_ptr<ServerProcess> process_;
    std::string root_;
    int port_ = 0;
};

}  // namespace testsupport
