#include "fakes/fake_network.h"

#include "fakes/fake_files.h"

#include <QFile>
#include <QSaveFile>
#include <utility>

namespace tk {

FakeSocket::~FakeSocket() {
    if (network_) network_->sockets.removeAll(this);
}

void FakeSocket::connectTo(const QString& h, int p) {
    host = h;
    port = p;
    tls = false;
    ++connections;
    currentState = Connecting;
    pending.clear();
}

void FakeSocket::connectToTls(const QString& h, int p) {
    connectTo(h, p);
    tls = true;
}

void FakeSocket::close() {
    ++closes;
    currentState = Closed;
    pending.clear();
}

void FakeSocket::send(const QByteArray& data) {
    if (currentState == Connected || currentState == Connecting) sends << data;
}

void FakeSocket::accept() {
    currentState = Connected;
    if (onConnected) onConnected();
}

void FakeSocket::receive(const QByteArray& data) {
    if (paused) {
        pending += data;
        return;
    }
    if (onData) onData(data);
}

void FakeSocket::deliverPending() {
    if (paused || pending.isEmpty()) return;
    const QByteArray d = std::exchange(pending, {});
    if (onData) onData(d);
}

void FakeSocket::closeRemote() {
    currentState = Closed;
    if (onClosed) onClosed();
}

void FakeSocket::fail(const QString& message) {
    currentState = Error;
    if (onError) onError(message);
}

void FakeSocket::failTls(const QString& message) {
    currentState = Error;
    if (onTlsError) onTlsError(message);
}

FakeNetwork::~FakeNetwork() {
    for (FakeSocket* s : sockets) s->network_ = nullptr; // sockets that outlive the network
}

void FakeNetwork::reply(const QString& url, int status, const QByteArray& body) {
    HttpReply r;
    r.status = status;
    r.ok = status == 200;
    r.body = body;
    replies.insert(url, r);
}

std::unique_ptr<Socket> FakeNetwork::createSocket() {
    auto s = std::make_unique<FakeSocket>(this);
    sockets << s.get();
    return s;
}

HttpReply FakeNetwork::answer(const Request& r) {
    requests.push_back(r);
    if (onRequest) return onRequest(r);
    const auto it = replies.constFind(r.url);
    if (it != replies.constEnd()) return *it;
    HttpReply refusal;
    refusal.error = QStringLiteral("Connection refused");
    return refusal;
}

HttpReply FakeNetwork::answerWithinLimit(const Request& r) {
    HttpReply rep = answer(r);
    if (rep.body.size() > r.maxSize) {
        rep.ok = false;
        rep.body.clear();
        rep.error = QStringLiteral("reply larger than the limit");
    }
    return rep;
}

HttpReply FakeNetwork::download(const QString& url, const QString& file, int timeoutMs, qint64 maxSize) {
    Request q;
    q.method = QStringLiteral("DOWNLOAD");
    q.url = url;
    q.file = file;
    q.timeoutMs = timeoutMs;
    q.maxSize = maxSize;
    HttpReply r = answerWithinLimit(q);
    // As the real service: the file takes its name only when the whole reply arrived.
    if (r.ok) {
        if (files && !files->writable(file)) {
            r.ok = false;
            r.error = QStringLiteral("cannot write ") + file;
        } else if (files) {
            files->files.insert(file, r.body);
            files->executables.remove(file);
        } else {
            QSaveFile f(file);
            if (!f.open(QIODevice::WriteOnly) || f.write(r.body) != r.body.size() || !f.commit()) r.ok = false;
        }
    }
    r.body.clear();
    return r;
}

HttpReply FakeNetwork::get(const QString& url, int timeoutMs, qint64 maxSize) {
    Request q;
    q.method = QStringLiteral("GET");
    q.url = url;
    q.timeoutMs = timeoutMs;
    q.maxSize = maxSize;
    return answerWithinLimit(q);
}

HttpReply FakeNetwork::post(const QString& url, const QByteArray& contentType, const QByteArray& body,
                            bool waitForReply, int timeoutMs, qint64 maxSize) {
    Request q;
    q.method = QStringLiteral("POST");
    q.url = url;
    q.type = contentType;
    q.body = body;
    q.waitForReply = waitForReply;
    q.timeoutMs = timeoutMs;
    q.maxSize = maxSize;
    const HttpReply r = answerWithinLimit(q);
    return waitForReply ? r : HttpReply{};
}

} // namespace tk
