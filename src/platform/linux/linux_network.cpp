#include "platform/linux/linux_network.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

#include <memory>

namespace tk {

// A plain socket unless TLS is asked for: the TLS library and Qt's TLS
// back end are loaded only by a program that uses them.
LinuxSocket::LinuxSocket() { useSocket(new QTcpSocket); }

void LinuxSocket::useSocket(QTcpSocket* s) {
    if (socket_) {
        QObject::disconnect(socket_, nullptr, nullptr, nullptr);
        socket_->abort();
        socket_->deleteLater();
    }
    socket_ = s;
    // Arrived data that nobody takes (reading paused) stays bounded.
    socket_->setReadBufferSize(READ_BUFFER_SIZE);
    QObject::connect(socket_, &QTcpSocket::readyRead, socket_, [this] { deliver(); });
    QObject::connect(socket_, &QTcpSocket::connected, socket_, [this] {
        failed_ = false;
        tcpUp_ = true;
        if (!tls_ && onConnected) onConnected();
    });
    QObject::connect(socket_, &QTcpSocket::disconnected, socket_, [this] {
        if (onClosed) onClosed();
    });
    QObject::connect(socket_, &QTcpSocket::errorOccurred, socket_, [this](QAbstractSocket::SocketError) {
        failed_ = true;
        // Once the TCP connection is up, a failure before the handshake
        // completed is the certificate or the handshake itself.
        if (tls_ && tcpUp_ && !encrypted_) {
            const QString text = tlsErrors_.isEmpty() ? socket_->errorString() : tlsErrors_.join(QStringLiteral("; "));
            tlsErrors_.clear();
            tls_ = false; // reported once
            if (onTlsError) onTlsError(text);
            return;
        }
        if (onError) onError(socket_->errorString());
    });
    if (auto* tls = qobject_cast<QSslSocket*>(socket_)) {
        QObject::connect(tls, &QSslSocket::encrypted, tls, [this] {
            encrypted_ = true;
            if (onConnected) onConnected();
        });
        QObject::connect(tls, &QSslSocket::sslErrors, tls, [this](const QList<QSslError>& errors) {
            for (const QSslError& e : errors) tlsErrors_ << e.errorString();
        });
    }
}

void LinuxSocket::deliver() {
    if (paused_) return;
    const QByteArray data = socket_->read(READ_BUFFER_SIZE);
    // The handler may destroy this object.
    const std::weak_ptr<bool> alive = alive_;
    if (!data.isEmpty() && onData) onData(data);
    if (alive.expired()) return;
    // More than one read's worth waited: the rest comes from the event loop,
    // never inside this handler.
    if (!paused_ && socket_->bytesAvailable() > 0) deliverLater();
}

void LinuxSocket::deliverLater() {
    // The Qt socket outlives this object by a turn of the event loop: the
    // call is dropped once this object is gone.
    QMetaObject::invokeMethod(
        socket_,
        [this, alive = std::weak_ptr<bool>(alive_)] {
            if (!alive.expired()) deliver();
        },
        Qt::QueuedConnection);
}

void LinuxSocket::setReadingPaused(bool paused) {
    if (paused_ == paused) return;
    paused_ = paused;
    // Data that waited during the pause is delivered once control is back
    // in the event loop.
    if (!paused_ && socket_->bytesAvailable() > 0) deliverLater();
}

LinuxSocket::~LinuxSocket() {
    // Possibly called from one of our own handlers, inside a signal of socket_.
    QObject::disconnect(socket_, nullptr, nullptr, nullptr);
    socket_->abort();
    socket_->deleteLater();
}

void LinuxSocket::connectTo(const QString& host, int port) {
    socket_->abort();
    failed_ = tls_ = tcpUp_ = encrypted_ = false;
    tlsErrors_.clear();
    socket_->connectToHost(host, static_cast<quint16>(port));
}

void LinuxSocket::connectToTls(const QString& host, int port) {
    socket_->abort();
    failed_ = tcpUp_ = encrypted_ = false;
    tls_ = true;
    tlsErrors_.clear();
    auto* tls = qobject_cast<QSslSocket*>(socket_);
    if (!tls) {
        tls = new QSslSocket;
        useSocket(tls);
    }
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setPeerVerifyMode(QSslSocket::VerifyPeer);
    const QString extra = qEnvironmentVariable("SSL_CERT_FILE");
    if (!extra.isEmpty()) {
        const QList<QSslCertificate> authorities = QSslCertificate::fromPath(extra, QSsl::Pem);
        if (!authorities.isEmpty()) conf.setCaCertificates(QSslConfiguration::systemCaCertificates() + authorities);
    }
    tls->setSslConfiguration(conf);
    tls->connectToHostEncrypted(host, static_cast<quint16>(port));
}

void LinuxSocket::close() {
    failed_ = tls_ = tcpUp_ = encrypted_ = false;
    tlsErrors_.clear();
    socket_->abort();
}

int LinuxSocket::state() {
    switch (socket_->state()) {
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState: return Connecting;
    case QAbstractSocket::ConnectedState: return Connected;
    case QAbstractSocket::ClosingState: return Closing;
    default: return failed_ ? Error : Closed;
    }
}

void LinuxSocket::send(const QByteArray& data) {
    if (socket_->isOpen()) socket_->write(data);
}

LinuxNetwork::LinuxNetwork() = default;

LinuxNetwork::~LinuxNetwork() { delete manager_; }

std::unique_ptr<Socket> LinuxNetwork::createSocket() { return std::make_unique<LinuxSocket>(); }

QNetworkAccessManager& LinuxNetwork::manager() {
    if (!manager_) {
        manager_ = new QNetworkAccessManager;
        // A request nobody waits for (an error report) would otherwise stay
        // pending for the whole run with a server that accepts and never answers.
        manager_->setTransferTimeout(60000);
    }
    return *manager_;
}

QNetworkRequest LinuxNetwork::request(const QString& url) {
    QNetworkRequest r{QUrl(url)};
    r.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    r.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // Redirects are checked one by one (see awaitReply).
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    r.setRawHeader("Cache-Control", "no-cache");
    r.setRawHeader("Pragma", "no-cache");
    // The body as sent, so that the announced length is the length received.
    r.setRawHeader("Accept-Encoding", "identity");
    return r;
}

bool LinuxNetwork::redirectAllowed(const QUrl& from, const QUrl& target) {
    if (!from.isValid() || !target.isValid()) return false;
    const QString scheme = from.scheme().toLower();
    if (scheme.isEmpty() || target.scheme().toLower() != scheme) return false;
    if (from.host().isEmpty() || from.host().compare(target.host(), Qt::CaseInsensitive) != 0) return false;
    const int fallback = scheme == QLatin1String("https") ? 443 : scheme == QLatin1String("http") ? 80 : -1;
    return from.port(fallback) == target.port(fallback);
}

namespace {

bool isRedirect(QNetworkReply* r) {
    const int s = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return (s == 301 || s == 302 || s == 303 || s == 307 || s == 308) && r->hasRawHeader(QByteArrayLiteral("Location"));
}

// The body of one reply as it arrives, with its limit and its redirects.
struct Reader {
    QNetworkReply* reply;
    qint64 maxSize;
    QIODevice* destination; // null: into `body`
    QByteArray body;
    qint64 received = 0;
    QString refusal; // why the transfer was stopped, empty when it was not

    // `reading`: this reader takes the body on every arrival.
    void hookUp(bool reading = true) {
        reply->setReadBufferSize(64 * 1024);
        const QUrl from = reply->url();
        if (reading) QObject::connect(reply, &QNetworkReply::readyRead, reply, [this] { take(); });
        QObject::connect(reply, &QNetworkReply::redirected, reply, [this, from](const QUrl& target) {
            if (LinuxNetwork::redirectAllowed(from, target)) {
                emit reply->redirectAllowed();
            } else {
                refusal = QStringLiteral("redirect to another server refused: %1").arg(target.toString());
                reply->abort();
            }
        });
    }

    void take() {
        while (refusal.isEmpty() && reply->bytesAvailable() > 0) {
            const QByteArray piece = reply->read(64 * 1024);
            if (piece.isEmpty()) break;
            if (isRedirect(reply)) continue; // the body of a redirect is not the file
            if (piece.size() > maxSize - received) {
                refusal = QStringLiteral("reply larger than %1 bytes").arg(maxSize);
                reply->abort();
                return;
            }
            received += piece.size();
            if (destination) {
                if (destination->write(piece) != piece.size()) {
                    refusal = QStringLiteral("cannot write: %1").arg(destination->errorString());
                    reply->abort();
                    return;
                }
            } else {
                body += piece;
            }
        }
    }
};

} // namespace

HttpReply LinuxNetwork::awaitReply(QNetworkReply* reply, int timeoutMs, qint64 maxSize, QIODevice* destination) {
    HttpReply r;
    Reader reader{reply, std::max<qint64>(0, maxSize), destination, {}, 0, {}};
    reader.hookUp();
    if (!reply->isFinished()) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(std::max(0, timeoutMs));
        loop.exec();
    }
    if (!reply->isFinished()) {
        QObject::disconnect(reply, nullptr, nullptr, nullptr);
        reply->abort();
        r.error = QStringLiteral("time limit reached");
        reply->deleteLater();
        return r;
    }
    reader.take();
    QObject::disconnect(reply, nullptr, nullptr, nullptr);
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!reader.refusal.isEmpty()) r.error = reader.refusal;
    else if (reply->error() != QNetworkReply::NoError) r.error = reply->errorString();
    bool lengthOk = true;
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if (r.error.isEmpty() && announced.isValid() && announced.toLongLong() != reader.received) {
        lengthOk = false;
        r.error =
            QStringLiteral("%1 bytes received of the %2 announced").arg(reader.received).arg(announced.toLongLong());
    }
    r.ok = r.status == 200 && r.error.isEmpty() && lengthOk;
    r.body = std::move(reader.body);
    reply->deleteLater();
    return r;
}

HttpReply LinuxNetwork::download(const QString& url, const QString& file, int timeoutMs, qint64 maxSize) {
    // The body streams into a temporary file beside the target, which takes
    // the target's name only once the whole reply has arrived.
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly)) {
        HttpReply r;
        r.error = QStringLiteral("cannot write %1: %2").arg(file, f.errorString());
        return r;
    }
    HttpReply r = awaitReply(manager().get(request(url)), timeoutMs, maxSize, &f);
    if (r.ok && !f.commit()) {
        r.ok = false;
        r.error = QStringLiteral("cannot write %1: %2").arg(file, f.errorString());
    }
    if (!r.ok) f.cancelWriting(); // the temporary file goes with f
    r.body.clear();
    return r;
}

HttpReply LinuxNetwork::get(const QString& url, int timeoutMs, qint64 maxSize) {
    return awaitReply(manager().get(request(url)), timeoutMs, maxSize, nullptr);
}

HttpReply LinuxNetwork::post(const QString& url, const QByteArray& contentType, const QByteArray& body,
                             bool waitForReply, int timeoutMs, qint64 maxSize) {
    QNetworkRequest req = request(url);
    if (!contentType.isEmpty()) req.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    QNetworkReply* reply = manager().post(req, body);
    if (!waitForReply) {
        // Sent and forgotten: the reply is read and dropped as it comes, and
        // one longer than the limit (or a redirect elsewhere) ends the transfer.
        auto reader = std::make_shared<Reader>(Reader{reply, std::max<qint64>(0, maxSize), nullptr, {}, 0, {}});
        reader->hookUp(false);
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [reader] {
            reader->take();
            reader->body.clear();
        });
        QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
        return {};
    }
    return awaitReply(reply, timeoutMs, maxSize, nullptr);
}

} // namespace tk
