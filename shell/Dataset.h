#pragma once

#include <string>

// One site profile. Every value but the flag is text, as the profile panel and the settings files
// hold it.
struct Dataset {
    bool Eflg = true;  // false: deleted during this run; not saved at quit
    std::string Name;
    std::string Adrs;  // server
    std::string User;
    std::string Pass;  // clear text in memory only
    std::string rDir;  // remote folder
    std::string Pasv;  // "yes" / "no"
    std::string Path;  // local folder, absolute path
    std::string Mode;  // "up" / "sync"
    std::string Zone;  // time-zone correction in hours, "0" for none
    std::string EOL;   // "unix" / "win" / "mac"
};
