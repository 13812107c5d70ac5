#pragma once

#include <optional>
#include <string>

#include "framework/Application.h"
#include "framework/MemoryBlock.h"

// The application object. It holds no data of its own: start-up fills the global state from the
// settings folder, quit writes it back.
class App : public fw::Application {
public:
    App();
    static App* Instance();

    bool _AppleAbout_Action();

    void InitApp();
    void CloseApp();

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

    bool settingsLoaded_ = false;  // InitApp has loaded every settings file
};
