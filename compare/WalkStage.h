#pragma once

#include <cstdint>

// Where the remote walk stands with the folder it is listing.
enum WalkStage : int32_t {
    WalkIdle = 0,      // not collecting
    WalkLogin = 1,     // waiting for the login, after which the root is changed into or listed
    WalkChanging = 2,  // CWD sent; waiting for the server to confirm the new working folder
    WalkListing = 3,   // listing asked for; waiting for its text and the server's final reply
};
