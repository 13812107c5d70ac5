#pragma once

// The main window against the scripted site on 127.0.0.1:21, whose remote tree the test gives.

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

    std::unique_ptr<ScriptedSite> site;

private:
    std::unique_ptr<testsupport::TempFolder> remote_;
};

}  // namespace synctest
