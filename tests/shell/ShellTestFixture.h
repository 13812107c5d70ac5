#pragma once

// What the shell's tests share: the settings folder of the test's private configuration home, the
// bytes of the settings files as the program writes them, and an application object made and
// started the way the program's start-up does it, with every modal thing answered by a script.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/ModalHost.h"
#include "framework/Window.h"
#include "mainwindow/Window1.h"
#include "shell/App.h"
#include "shell/CommonModule.h"
#include "shell/MenuBar1.h"
#include "shell/SettingsFolder.h"
#include "shell/SettingsFolderLock.h"
#include "shell/Startup.h"
#include "tests/support/ModalScript.h"

namespace shelltest {

namespace fs = std::filesystem;

// Encoders for the settings files' fields: big-endian 32-bit integers, short strings (a length
// byte, then the bytes) and blocks (a 32-bit length, then the bytes).
inline std::string Int32(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    return {static_cast<char>(u >> 24), static_cast<char>(u >> 16), static_cast<char>(u >> 8),
            static_cast<char>(u)};
}
inline std::string PString(const std::string& s) {
    return static_cast<char>(s.size()) + s;
}
inline std::string Block(const std::string& s) {
    return Int32(static_cast<int32_t>(s.size())) + s;
}

// "pref2" with the given count and values.
inline std::string PrefFile(int32_t count, const std::vector<int32_t>& values) {
    std::string bytes = Int32(count);
    for (int32_t v : values) bytes += Int32(v);
    return bytes;
}

// The table as the defaults leave it: 1 in slots 10 to 19, 0 everywhere else.
inline std::vector<int32_t> DefaultPrefs() {
    std::vector<int32_t> values(kPrefSlotCount, 0);
    for (int i = 10; i <= 19; ++i) values[i] = 1;
    return values;
}

inline std::vector<int32_t> CurrentPrefs() {
    return {gPref.begin(), gPref.end()};
}

// A decoder of "dataset2" that checks nothing the program does not write: the tests read back
// what the writer produced.
struct StoredProfile {
    std::string name, adrs, user, privateKey, cipher, rDir, pasv, path, mode, zone, eol;
};

class ByteReader {
public:
    explicit ByteReader(std::string bytes) : bytes_(std::move(bytes)) {}
    int32_t Int() {
        std::string b = Take(4);
        auto at = [&](int i) { return static_cast<uint32_t>(static_cast<unsigned char>(b[i])); };
        return static_cast<int32_t>(at(0) << 24 | at(1) << 16 | at(2) << 8 | at(3));
    }
    std::string Short() { return Take(static_cast<unsigned char>(Take(1)[0])); }
    std::string Long() { return Take(static_cast<size_t>(Int())); }
    bool AtEnd() const { return pos_ == bytes_.size(); }

private:
    std::string Take(size_t n) {
        if (bytes_.size() - pos_ < n) throw std::runtime_error("file ends early");
        std::string part = bytes_.substr(pos_, n);
        pos_ += n;
        return part;
    }
    std::string bytes_;
    size_t pos_ = 0;
};

// The records of a "dataset2" file; fails the test when the file is not exactly its records.
inline std::vector<StoredProfile> DecodeProfiles(const std::string& bytes) {
    ByteReader in(bytes);
    std::vector<StoredProfile> records;
    const int32_t last = in.Int();
    for (int32_t i = 0; i <= last; ++i) {
        StoredProfile r;
        r.name = in.Short();
        r.adrs = in.Short();
        r.user = in.Short();
        r.privateKey = in.Long();
        r.cipher = in.Long();
        r.rDir = in.Short();
        r.pasv = in.Short();
        r.path = in.Long();
        r.mode = in.Short();
        r.zone = in.Short();
        r.eol = in.Short();
        records.push_back(r);
    }
    EXPECT_TRUE(in.AtEnd()) << "bytes after the last record";
    return records;
}

// A "dataset2" record written by hand, with the given key and ciphertext.
inline std::string EncodeProfile(const Dataset& d, const std::string& privateKey,
                                 const std::string& cipher) {
    return PString(d.Name) + PString(d.Adrs) + PString(d.User) + Block(privateKey) + Block(cipher) +
           PString(d.rDir) + PString(d.Pasv) + Block(d.Path) + PString(d.Mode) + PString(d.Zone) +
           PString(d.EOL);
}

// A record of the older "dataset": the password in clear text, no line-end field.
inline std::string EncodeOldProfile(const Dataset& d) {
    return PString(d.Name) + PString(d.Adrs) + PString(d.User) + PString(d.Pass) + PString(d.rDir) +
           PString(d.Pasv) + Block(d.Path) + PString(d.Mode) + PString(d.Zone);
}

inline Dataset Profile(const std::string& name, const std::string& pass = "secret") {
    Dataset d;
    d.Eflg = true;
    d.Name = name;
    d.Adrs = "ftp." + name + ".example";
    d.User = "user-" + name;
    d.Pass = pass;
    d.rDir = "/www/" + name;
    d.Pasv = "yes";
    d.Path = "/home/me/sites/" + name + "/";
    d.Mode = "sync";
    d.Zone = "-3";
    d.EOL = "win";
    return d;
}

// Every field of two records, for readable failures.
inline void ExpectSameProfile(const Dataset& actual, const Dataset& expected) {
    EXPECT_EQ(actual.Eflg, expected.Eflg) << expected.Name;
    EXPECT_EQ(actual.Name, expected.Name);
    EXPECT_EQ(actual.Adrs, expected.Adrs) << expected.Name;
    EXPECT_EQ(actual.User, expected.User) << expected.Name;
    EXPECT_EQ(actual.Pass, expected.Pass) << expected.Name;
    EXPECT_EQ(actual.rDir, expected.rDir) << expected.Name;
    EXPECT_EQ(actual.Pasv, expected.Pasv) << expected.Name;
    EXPECT_EQ(actual.Path, expected.Path) << expected.Name;
    EXPECT_EQ(actual.Mode, expected.Mode) << expected.Name;
    EXPECT_EQ(actual.Zone, expected.Zone) << expected.Name;
    EXPECT_EQ(actual.EOL, expected.EOL) << expected.Name;
}

class ShellTest : public testing::Test {
protected:
    void SetUp() override {
        ResetModuleState();
        testsupport::BeginModalScript();
    }

    void TearDown() override {
        EndRun();
        testsupport::EndModalScript();
    }

    // --- The settings folder

    static std::string ConfigHome() { return getenv("XDG_CONFIG_HOME"); }
    static std::string FolderPath() { return ConfigHome() + "/" + kSettingsFolderName; }
    static std::string PathOf(const std::string& name) { return FolderPath() + "/" + name; }

    static void MakeFolder() { fs::create_directories(FolderPath()); }
    static void Put(const std::string& name, const std::string& bytes) {
        MakeFolder();
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }
    static std::string Get(const std::string& name) {
        std::ifstream in(PathOf(name), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    static bool Has(const std::string& name) { return fs::exists(PathOf(name)); }
    static mode_t ModeOf(const std::string& path) {
        struct stat st {};
        stat(path.c_str(), &st);
        return st.st_mode & 0777;
    }
    // The folder's entries but the lock file of a running copy, sorted.
    static std::vector<std::string> FolderNames() {
        std::vector<std::string> names;
        if (!fs::exists(FolderPath())) return names;
        for (const auto& e : fs::directory_iterator(FolderPath()))
            if (e.path().filename() != kSettingsLockFileName)
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // --- What the modal host showed

    static std::vector<fw::ModalPrompt> Shown(const std::string& kind) {
        std::vector<fw::ModalPrompt> shown;
        for (const fw::ModalPrompt& p : fw::ModalHost::Shown())
            if (p.kind == kind) shown.push_back(p);
        return shown;
    }
    static void ExpectPress(const std::string& caption) {
        fw::ModalHost::Expect(fw::ModalAnswer::Press(caption));
    }

    // --- A run of the program

    // The application object as start-up makes it (its menu bar, the About handler), then its
    // Open and the default window, without entering the event loop.
    App& StartApp() {
        NewApp();
        app_->Start(FrameworkInitCallback);
        fw::ProcessPendingEvents();
        return *app_;
    }
    // The application object alone: nothing has been loaded and no window is open.
    App& NewApp() {
        app_ = std::make_unique<App>();
        app_->SetMenuBar(MenuBar1::Instance());
        InstallAppMenuHandlers();
        return *app_;
    }
    App& app() { return *app_; }

    // Ends the run as a process end would: the windows go, then the application object and the
    // module state, so that the next StartApp is a new run over the same settings folder.
    void EndRun() {
        for (fw::Window* w : fw::Window::OpenWindows()) w->Close();
        fw::ProcessPendingEvents();  // closed windows are deleted once their event has ended
        app_.reset();
        ResetModuleState();
    }

    static Window1* MainWindow() { return fw::Window::FindOpen<Window1>(); }

private:
    std::unique_ptr<App> app_;
};

}  // namespace shelltest
