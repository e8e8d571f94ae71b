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
    hote = h;
    port = p;
    tls = false;
    ++connections;
    etat = Connecting;
    pending.clear();
}

void FakeSocket::connectToTls(const QString& h, int p) {
    connectTo(h, p);
    tls = true;
}

void FakeSocket::close() {
    ++closes;
    etat = Closed;
    pending.clear();
}

void FakeSocket::send(const QByteArray& donnees) {
    if (etat == Connected || etat == Connecting) sends << donnees;
}

void FakeSocket::accept() {
    etat = Connected;
    if (onConnected) onConnected();
}

void FakeSocket::receive(const QByteArray& donnees) {
    if (paused) {
        pending += donnees;
        return;
    }
    if (onData) onData(donnees);
}

void FakeSocket::deliverPending() {
    if (paused || pending.isEmpty()) return;
    const QByteArray d = std::exchange(pending, {});
    if (onData) onData(d);
}

void FakeSocket::closeRemote() {
    etat = Closed;
    if (onClosed) onClosed();
}

void FakeSocket::fail(const QString& message) {
    etat = Error;
    if (onError) onError(message);
}

void FakeSocket::failTls(const QString& message) {
    etat = Error;
    if (onTlsError) onTlsError(message);
}

FakeNetwork::~FakeNetwork() {
    for (FakeSocket* s : sockets) s->network_ = nullptr; // sockets that outlive the network
}

void FakeNetwork::reply(const QString& url, int status, const QByteArray& corps) {
    HttpReply r;
    r.status = status;
    r.ok = status == 200;
    r.body = corps;
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
    HttpReply refus;
    refus.error = QStringLiteral("Connection refused");
    return refus;
}

HttpReply FakeNetwork::answerWithinLimit(const Request& r) {
    HttpReply rep = answer(r);
    if (rep.body.size() > r.tailleMax) {
        rep.ok = false;
        rep.body.clear();
        rep.error = QStringLiteral("reply larger than the limit");
    }
    return rep;
}

HttpReply FakeNetwork::download(const QString& url, const QString& fichier, int delaiMs, qint64 tailleMax) {
    Request q;
    q.method = QStringLiteral("DOWNLOAD");
    q.url = url;
    q.fichier = fichier;
    q.delaiMs = delaiMs;
    q.tailleMax = tailleMax;
    HttpReply r = answerWithinLimit(q);
    // As the real service: the file takes its name only when the whole reply arrived.
    if (r.ok) {
        if (fichiers && !fichiers->writable(fichier)) {
            r.ok = false;
            r.error = QStringLiteral("cannot write ") + fichier;
        } else if (fichiers) {
            fichiers->fichiers.insert(fichier, r.body);
            fichiers->executables.remove(fichier);
        } else {
            QSaveFile f(fichier);
            if (!f.open(QIODevice::WriteOnly) || f.write(r.body) != r.body.size() || !f.commit()) r.ok = false;
        }
    }
    r.body.clear();
    return r;
}

HttpReply FakeNetwork::get(const QString& url, int delaiMs, qint64 tailleMax) {
    Request q;
    q.method = QStringLiteral("GET");
    q.url = url;
    q.delaiMs = delaiMs;
    q.tailleMax = tailleMax;
    return answerWithinLimit(q);
}

HttpReply FakeNetwork::post(const QString& url, const QByteArray& enTeteType, const QByteArray& corps, bool attendre,
                            int delaiMs, qint64 tailleMax) {
    Request q;
    q.method = QStringLiteral("POST");
    q.url = url;
    q.type = enTeteType;
    q.body = corps;
    q.attendre = attendre;
    q.delaiMs = delaiMs;
    q.tailleMax = tailleMax;
    const HttpReply r = answerWithinLimit(q);
    return attendre ? r : HttpReply{};
}

} // namespace tk
