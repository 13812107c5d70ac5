#include "tests/support/ScriptedFtpServer.h"

#include <fcntl.h>
#include <sys/socket.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <stdexcept>

#include "tests/support/EventWait.h"

namespace testsupport {

namespace {

void AppendAvailable(QTcpSocket& socket, std::string& to) {
    QByteArray bytes = socket.readAll();
    to.append(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void WriteNow(QTcpSocket& socket, const std::string& bytes) {
    socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket.flush();
}

// Feeds the socket from next() while little of what it was given is still waiting to leave.
void Feed(QTcpSocket* socket, std::function<std::string()> next) {
    constexpr qint64 kWaiting = 256 * 1024;
    auto source = std::make_shared<std::function<std::string()>>(std::move(next));
    auto more = [socket, source] {
        while (socket->state() == QAbstractSocket::ConnectedState &&
               socket->bytesToWrite() < kWaiting) {
            const std::string piece = (*source)();
            if (piece.empty()) return;
            socket->write(piece.data(), static_cast<qint64>(piece.size()));
        }
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, more);
    more();
}

}  // namespace

struct ScriptedFtpServer::Impl {
    explicit Impl(ScriptedFtpServer& owner) : owner(owner) {}

    void TakeNextClient();
    void ReadClient();
    void SplitLines();
    void AdoptData(QTcpSocket* socket);
    void DropData();

    ScriptedFtpServer& owner;
    QTcpServer control;
    QTcpSocket* client = nullptr;
    int connections = 0;
    std::string received;
    size_t splitUpTo = 0;  // received is split into lines up to here
    std::vector<std::string> lines;

    std::unique_ptr<QTcpServer> dataListener;
    QTcpSocket* data = nullptr;
    bool closingDataOurselves = false;
    bool dataClosedByClient = false;
    std::string dataReceived;
};

void ScriptedFtpServer::Impl::TakeNextClient() {
    if (client || !control.hasPendingConnections()) return;
    client = control.nextPendingConnection();
    ++connections;
    client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QObject::connect(client, &QTcpSocket::readyRead, client, [this] { ReadClient(); });
    QObject::connect(client, &QTcpSocket::disconnected, client, [this] {
        ReadClient();
        client->deleteLater();
        client = nullptr;
        TakeNextClient();
    });
    if (owner.OnConnected) owner.OnConnected();
}

void ScriptedFtpServer::Impl::ReadClient() {
    if (!client) return;
    AppendAvailable(*client, received);
    SplitLines();
}

void ScriptedFtpServer::Impl::SplitLines() {
    for (;;) {
        size_t end = received.find("\r\n", splitUpTo);
        if (end == std::string::npos) return;
        std::string line = received.substr(splitUpTo, end - splitUpTo);
        splitUpTo = end + 2;
        lines.push_back(line);
        if (owner.OnLine) owner.OnLine(line);
    }
}

void ScriptedFtpServer::Impl::AdoptData(QTcpSocket* socket) {
    DropData();
    data = socket;
    data->setParent(nullptr);
    data->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    dataReceived.clear();
    dataClosedByClient = false;
    closingDataOurselves = false;
    QObject::connect(data, &QTcpSocket::readyRead, data,
                     [this] { AppendAvailable(*data, dataReceived); });
    QObject::connect(data, &QTcpSocket::disconnected, data, [this] {
        AppendAvailable(*data, dataReceived);
        if (!closingDataOurselves) dataClosedByClient = true;
    });
}

void ScriptedFtpServer::Impl::DropData() {
    if (!data) return;
    QObject::disconnect(data, nullptr, nullptr, nullptr);
    data->abort();
    data->deleteLater();
    data = nullptr;
}

ScriptedFtpServer::ScriptedFtpServer(int port) : impl_(std::make_unique<Impl>(*this)) {
    if (!impl_->control.listen(QHostAddress::LocalHost, static_cast<quint16>(port))) {
        throw std::runtime_error("scripted FTP server cannot listen: " +
                                 impl_->control.errorString().toStdString());
    }
    QObject::connect(&impl_->control, &QTcpServer::newConnection, &impl_->control,
                     [this] { impl_->TakeNextClient(); });
}

ScriptedFtpServer::~ScriptedFtpServer() {
    impl_->DropData();
    if (impl_->client) {
        QObject::disconnect(impl_->client, nullptr, nullptr, nullptr);
        impl_->client->abort();
    }
}

int ScriptedFtpServer::Port() const {
    return impl_->control.serverPort();
}

bool ScriptedFtpServer::Connected() const {
    return impl_->client && impl_->client->state() == QAbstractSocket::ConnectedState;
}

int ScriptedFtpServer::ConnectionCount() const {
    return impl_->connections;
}

bool ScriptedFtpServer::WaitForConnection(int timeoutMs) {
    return WaitUntil([this] { return Connected(); }, timeoutMs);
}

void ScriptedFtpServer::Send(const std::string& bytes) {
    if (impl_->client) WriteNow(*impl_->client, bytes);
}

void ScriptedFtpServer::CloseClient() {
    if (impl_->client) impl_->client->disconnectFromHost();
}

void ScriptedFtpServer::Stream(std::function<std::string()> next) {
    if (impl_->client) Feed(impl_->client, std::move(next));
}

const std::string& ScriptedFtpServer::Received() const {
    return impl_->received;
}

std::vector<std::string> ScriptedFtpServer::ReceivedLines() const {
    return impl_->lines;
}

int ScriptedFtpServer::CountLines(const std::string& prefix) const {
    int n = 0;
    for (const auto& line : impl_->lines) n += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
}

bool ScriptedFtpServer::WaitForLine(const std::string& prefix, int timeoutMs, int occurrences) {
    return WaitUntil([&] { return CountLines(prefix) >= occurrences; }, timeoutMs);
}

int ScriptedFtpServer::OpenPassiveDataPort() {
    impl_->DropData();
    impl_->dataListener = std::make_unique<QTcpServer>();
    QTcpServer* listener = impl_->dataListener.get();
    if (!listener->listen(QHostAddress::LocalHost, 0)) {
        throw std::runtime_error("scripted FTP server cannot listen for data: " +
                                 listener->errorString().toStdString());
    }
    QObject::connect(listener, &QTcpServer::newConnection, listener, [this, listener] {
        impl_->AdoptData(listener->nextPendingConnection());
        listener->close();  // one data connection per PASV, as real servers do
    });
    return listener->serverPort();
}

std::string ScriptedFtpServer::Pasv227Text(int port) {
    return "227 Entering Passive Mode (127,0,0,1," + std::to_string(port / 256) + "," +
           std::to_string(port % 256) + ")";
}

void ScriptedFtpServer::ConnectData(int port) {
    auto* socket = new QTcpSocket;
    impl_->AdoptData(socket);
    socket->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
}

bool ScriptedFtpServer::DataConnected() const {
    return impl_->data && impl_->data->state() == QAbstractSocket::ConnectedState;
}

bool ScriptedFtpServer::WaitForDataConnection(int timeoutMs) {
    return WaitUntil([this] { return DataConnected(); }, timeoutMs);
}

bool ScriptedFtpServer::DataClosedByClient() const {
    return impl_->dataClosedByClient;
}

const std::string& ScriptedFtpServer::DataReceived() const {
    return impl_->dataReceived;
}

void ScriptedFtpServer::SendData(const std::string& bytes) {
    if (impl_->data) WriteNow(*impl_->data, bytes);
}

void ScriptedFtpServer::StreamData(std::function<std::string()> next) {
    if (impl_->data) Feed(impl_->data, std::move(next));
}

void ScriptedFtpServer::CloseData() {
    if (!impl_->data) return;
    impl_->closingDataOurselves = true;
    impl_->data->disconnectFromHost();
}

void ScriptedFtpServer::AbortData() {
    if (!impl_->data) return;
    impl_->closingDataOurselves = true;
    // A zero linger turns the close into a reset.
    linger reset{1, 0};
    setsockopt(static_cast<int>(impl_->data->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
               sizeof reset);
    impl_->DropData();
}

int ScriptedFtpServer::TakeData() {
    if (!DataConnected()) return -1;
    AppendAvailable(*impl_->data, impl_->dataReceived);
    const int fd = ::fcntl(static_cast<int>(impl_->data->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    impl_->closingDataOurselves = true;
    impl_->DropData();  // its descriptor only: the connection lives on in fd
    return fd;
}

}  // namespace testsupport
