#pragma once

#include <cstdint>

// Where the remote walk stands with the folder it is listing.
enum WalkStage : int32_t {
    WalkIdle = 0,      // not collecting
    WalkLogin = 1,     // waiting for the login, after which the root is changed into or listed
    WalkChanging = 2,  // CWD sent; waiting for the server to confirm the new working folder
    WalkListing = 3,   // listing asked for; waiting for its text and the server's final reply
};

// The remote walk's own state during one comparison: the folder being listed and what has come
// for it, the final reply still due to the LIST of a folder already left, and whether the root
// could be listed. The window's GetCompareList2r methods move it on from the connection's events.
struct RemoteWalk {
    static constexpr int32_t kRoot = -1;
    static constexpr int32_t kNoReplyDue = -2;

    int32_t stage = WalkIdle;
    int32_t folder = kRoot;    // the folder being listed: its index in pSyncR, or kRoot
    bool listArrived = false;  // its listing has come, or its data connection has failed
    bool listReplied = false;  // the server's final reply to its LIST has come
    bool failed = false;       // a command for it was refused, or its data connection failed
    bool lastLineCut = false;  // its listing ended inside a line, which is no entry
    int32_t listError = 0;     // the data connection's error code when that is what failed
    // The folder whose LIST's final reply is still to come after the walk has gone on, and
    // whether the end of the walk waits for it.
    int32_t replyDueFor = kNoReplyDue;
    bool endDue = false;
    bool rootOpaque = false;  // the remote root could not be listed
    // The cancel key ended the walk: what the server still sends for its commands is only logged,
    // and nothing is listed after it.
    bool cancelled = false;

    // A new comparison: nothing is asked for before the login.
    void Begin() {
        *this = RemoteWalk();
        stage = WalkLogin;
    }
    // The folder at index (kRoot: the root) is being changed into; nothing has come for it yet.
    void Enter(int32_t index) {
        stage = WalkChanging;
        folder = index;
        listArrived = listReplied = failed = false;
        listError = 0;
    }
    // Its working folder is confirmed: its listing is asked for.
    void AwaitListing() {
        stage = WalkListing;
        listArrived = listReplied = false;
    }
    bool AtRoot() const { return folder == kRoot; }
    bool ReplyDue() const { return replyDueFor != kNoReplyDue; }
};
