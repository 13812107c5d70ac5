#pragma once

// The main window against the scripted site on 127.0.0.1:21, whose remote tree the test gives.

#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "tests/sync/ScriptedSite.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {

class ScriptedSiteTest : public SyncWindowTest {
protected:
    void SetUp() override {
        SyncWindowTest::SetUp();
        if (IsSkipped()) return;
        site = std::make_unique<ScriptedSite>();
        remote_ = std::make_unique<testsupport::TempFolder>("remote");
        site->treeRoot = remote_->Path();
        FillEditPage("user", "secret", "/site", true);
    }

    // The remote tree the site lists (kept in a local folder standing for it).
    void SetRemoteTree(const Tree& tree) { MakeTree(remote_->Path(), tree); }

    // The commands the site received that begin with one of the verbs, in order.
    std::vector<std::string> Received(const std::vector<std::string>& verbs) const {
        std::vector<std::string> found;
        for (const std::string& line : site->server.ReceivedLines())
            for (const std::string& verb : verbs)
                if (line.rfind(verb + " ", 0) == 0 || line == verb) found.push_back(line);
        return found;
    }

    // The test takes the site's commands over (take answers whether it answered the line) and
    // moves its own transfers on every 2 ms (move).
    void TakeOver(std::function<bool(const std::string&)> take, std::function<void()> move) {
        site->Intercept = std::move(take);
        transfersPoll.setInterval(2);
        QObject::connect(&transfersPoll, &QTimer::timeout, std::move(move));
        transfersPoll.start();
    }

    std::unique_ptr<ScriptedSite> site;
    QTimer transfersPoll;  // of TakeOver; stops with the test

private:
    std::unique_ptr<testsupport::TempFolder> remote_;
};

}  // namespace synctest
