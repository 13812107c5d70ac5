#pragma once

#include <optional>
#include <string>

#include "framework/Application.h"
#include "framework/MemoryBlock.h"
#include "shell/SettingsFolderLock.h"

// The application object. It holds no data of its own: start-up fills the global state from the
// settings folder, quit writes it back.
class App : public fw::Application {
public:
    App();
    static App* Instance();

    bool _AppleAbout_Action();

    void InitApp();
    void CloseApp();
    // Start-up found the settings folder held by another copy of the program, and quit.
    bool AnotherCopyRunning() const { return anotherCopyRunning_; }
    // Start-up refused this copy the settings folder (another copy holds it, or it can't be
    // locked), said so, and quit.
    bool RefusedTheSettingsFolder() const { return anotherCopyRunning_ || notLockable_; }

    // Preferences ("pref2").
    void InitPref();
    void LoadPref();
    void SavePref();

    // Site profiles ("dataset2", and the older "dataset").
    void LoadSet2();
    void LoadSet();
    void SaveSet2();
    // Makes a key pair for this password alone and encrypts it; privateKey and cipher stay empty
    // when no key pair could be made.
    void RSAEncrypt(const std::string& password, std::string& privateKey, fw::MemoryBlock& cipher);
    // nullopt when the ciphertext does not decrypt with the key.
    std::optional<std::string> RSADecrypt(const fw::MemoryBlock& cipher,
                                          const std::string& privateKey);

    // File-type table ("filetype.txt").
    bool LoadFileType();
    void InitFileType();
    void SaveFileType();

protected:
    void Event_Open() override;
    bool Event_CancelClose() override;

private:
    void Constructor() {}
    void ApplyStoredWindowBounds();

    // What start-up may read of the settings folder.
    enum class SettingsAtStart {
        Read,        // an existing folder, held by this copy
        FirstStart,  // none was there: made empty, held by this copy
        Unread,      // not a usable folder (named in a message): the defaults stand
        Refused,     // another copy holds it, or it can't be locked (said so): this copy quits
    };
    // Takes the settings folder for this copy before anything is read from it.
    SettingsAtStart TakeSettingsFolder();
    // Before the writers at quit: makes a folder removed during the run again and holds it.
    // Answers false, having said why, when the settings can't or mustn't be written there.
    bool SettingsFolderReadyForQuit();

    bool settingsLoaded_ = false;      // InitApp has loaded every settings file
    bool settingsFolderRead_ = false;  // start-up read the settings folder (or made it)
    bool anotherCopyRunning_ = false;
    bool notLockable_ = false;
    SettingsFolderLock settingsLock_;  // held until the application object goes
};
