#include "tests/support/FreePort.h"

#include <QHostAddress>
#include <QTcpServer>

namespace testsupport {

int PickFreeTcpPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
    return probe.serverPort();
}

}  // namespace testsupport
