#pragma once

#include <functional>
#include <string>

#include "framework/FolderItem.h"
#include "framework/Streams.h"

// The folder in the user's preferences folder that holds the settings files. It holds recoverable
// passwords, so it is created private (0700) and its files are written private (0600).
extern const char* const kSettingsFolderName;  // "Quillomar初期設定"

fw::FolderItem SettingsFolder();

// Creates the settings folder, silently, when it does not exist. Answers whether it existed
// already (a loader reads nothing from a folder it has just created).
bool EnsureSettingsFolder();

// Makes an existing settings folder private (0700) again, whatever mode it was left with: it may
// date from before, or have been opened up by hand. Tells the user, naming the folder, when it
// can't be done.
void MakeSettingsFolderPrivate();

// Tells the user, once, that a settings file could not be read whole, after keeping a copy of it
// beside it ("<name>.bak"), so that writing the file at quit does not destroy what was unreadable.
// The explanation says what the run has instead; by default, what could be read.
void ReportDamagedSettingsFile(const std::string& fileName, const std::string& explanation = "");

// Tells the user that a settings file could not be written, and why; its previous content is kept.
void ReportUnwritableSettingsFile(const std::string& fileName, const std::string& reason);

// Writes a settings file whole, when the settings folder exists (a writer never creates it): the
// new content replaces the old file only once all of it has been written, the file is private,
// and a failure is reported here, leaving the old file as it was.
void WriteBinarySettingsFile(const std::string& fileName,
                             const std::function<void(fw::BinaryOutputStream&)>& write);
void WriteTextSettingsFile(const std::string& fileName,
                           const std::function<void(fw::TextOutputStream&)>& write);

// Removes what a save of a process that has ended (killed before it renamed its temporary file)
// left in the settings folder. Only for the copy that holds the folder.
void RemoveAbandonedSettingsFiles();
