#pragma once

// The FTP servers the tests run on 127.0.0.1, and the helpers that go with them.

#include "tests/support/EventWait.h"
#include "tests/support/PyFtpServer.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/VsftpdServer.h"
