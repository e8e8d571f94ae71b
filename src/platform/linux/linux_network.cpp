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
            const QString texte = tlsErrors_.isEmpty() ? socket_->errorString() : tlsErrors_.join(QStringLiteral("; "));
            tlsErrors_.clear();
            tls_ = false; // reported once
            if (onTlsError) onTlsError(texte);
            return;
        }
        if (onError) onError(socket_->errorString());
    });
    if (auto* tls = qobject_cast<QSslSocket*>(socket_)) {
        QObject::connect(tls, &QSslSocket::encrypted, tls, [this] {
            encrypted_ = true;
            if (onConnected) onConnected();
        });
        QObject::connect(tls, &QSslSocket::sslErrors, tls, [this](const QList<QSslError>& erreurs) {
            for (const QSslError& e : erreurs) tlsErrors_ << e.errorString();
        });
    }
}

void LinuxSocket::deliver() {
    if (paused_) return;
    const QByteArray donnees = socket_->read(READ_BUFFER_SIZE);
    // The handler may destroy this object.
    const std::weak_ptr<bool> vivant = alive_;
    if (!donnees.isEmpty() && onData) onData(donnees);
    if (vivant.expired()) return;
    // More than one read's worth waited: the rest comes from the event loop,
    // never inside this handler.
    if (!paused_ && socket_->bytesAvailable() > 0) deliverLater();
}

void LinuxSocket::deliverLater() {
    // The Qt socket outlives this object by a turn of the event loop: the
    // call is dropped once this object is gone.
    QMetaObject::invokeMethod(
        socket_,
        [this, vivant = std::weak_ptr<bool>(alive_)] {
            if (!vivant.expired()) deliver();
        },
        Qt::QueuedConnection);
}

void LinuxSocket::setReadingPaused(bool enPause) {
    if (paused_ == enPause) return;
    paused_ = enPause;
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

void LinuxSocket::connectTo(const QString& hote, int port) {
    socket_->abort();
    failed_ = tls_ = tcpUp_ = encrypted_ = false;
    tlsErrors_.clear();
    socket_->connectToHost(hote, static_cast<quint16>(port));
}

void LinuxSocket::connectToTls(const QString& hote, int port) {
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
    const QString supplement = qEnvironmentVariable("SSL_CERT_FILE");
    if (!supplement.isEmpty()) {
        const QList<QSslCertificate> autorites = QSslCertificate::fromPath(supplement, QSsl::Pem);
        if (!autorites.isEmpty()) conf.setCaCertificates(QSslConfiguration::systemCaCertificates() + autorites);
    }
    tls->setSslConfiguration(conf);
    tls->connectToHostEncrypted(hote, static_cast<quint16>(port));
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

void LinuxSocket::send(const QByteArray& donnees) {
    if (socket_->isOpen()) socket_->write(donnees);
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
    // Redirects are checked one by one (see attendre).
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    r.setRawHeader("Cache-Control", "no-cache");
    r.setRawHeader("Pragma", "no-cache");
    // The body as sent, so that the announced length is the length received.
    r.setRawHeader("Accept-Encoding", "identity");
    return r;
}

bool LinuxNetwork::redirectAllowed(const QUrl& depart, const QUrl& cible) {
    if (!depart.isValid() || !cible.isValid()) return false;
    const QString schema = depart.scheme().toLower();
    if (schema.isEmpty() || cible.scheme().toLower() != schema) return false;
    if (depart.host().isEmpty() || depart.host().compare(cible.host(), Qt::CaseInsensitive) != 0) return false;
    const int defaut = schema == QLatin1String("https") ? 443 : schema == QLatin1String("http") ? 80 : -1;
    return depart.port(defaut) == cible.port(defaut);
}

namespace {

bool est_redirection(QNetworkReply* r) {
    const int s = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return (s == 301 || s == 302 || s == 303 || s == 307 || s == 308) && r->hasRawHeader(QByteArrayLiteral("Location"));
}

// The body of one reply as it arrives, with its limit and its redirects.
struct Reader {
    QNetworkReply* reponse;
    qint64 tailleMax;
    QIODevice* destination; // null: into `body`
    QByteArray body;
    qint64 received = 0;
    QString refusal; // why the transfer was stopped, empty when it was not

    // `lecture`: this reader takes the body on every arrival.
    void hookUp(bool lecture = true) {
        reponse->setReadBufferSize(64 * 1024);
        const QUrl depart = reponse->url();
        if (lecture) QObject::connect(reponse, &QNetworkReply::readyRead, reponse, [this] { take(); });
        QObject::connect(reponse, &QNetworkReply::redirected, reponse, [this, depart](const QUrl& cible) {
            if (LinuxNetwork::redirectAllowed(depart, cible)) {
                emit reponse->redirectAllowed();
            } else {
                refusal = QStringLiteral("redirect to another server refused: %1").arg(cible.toString());
                reponse->abort();
            }
        });
    }

    void take() {
        while (refusal.isEmpty() && reponse->bytesAvailable() > 0) {
            const QByteArray morceau = reponse->read(64 * 1024);
            if (morceau.isEmpty()) break;
            if (est_redirection(reponse)) continue; // the body of a redirect is not the file
            if (morceau.size() > tailleMax - received) {
                refusal = QStringLiteral("reply larger than %1 bytes").arg(tailleMax);
                reponse->abort();
                return;
            }
            received += morceau.size();
            if (destination) {
                if (destination->write(morceau) != morceau.size()) {
                    refusal = QStringLiteral("cannot write: %1").arg(destination->errorString());
                    reponse->abort();
                    return;
                }
            } else {
                body += morceau;
            }
        }
    }
};

} // namespace

HttpReply LinuxNetwork::attendre(QNetworkReply* reponse, int delaiMs, qint64 tailleMax, QIODevice* destination) {
    HttpReply r;
    Reader reader{reponse, std::max<qint64>(0, tailleMax), destination, {}, 0, {}};
    reader.hookUp();
    if (!reponse->isFinished()) {
        QEventLoop boucle;
        QTimer minuterie;
        minuterie.setSingleShot(true);
        QObject::connect(reponse, &QNetworkReply::finished, &boucle, &QEventLoop::quit);
        QObject::connect(&minuterie, &QTimer::timeout, &boucle, &QEventLoop::quit);
        minuterie.start(std::max(0, delaiMs));
        boucle.exec();
    }
    if (!reponse->isFinished()) {
        QObject::disconnect(reponse, nullptr, nullptr, nullptr);
        reponse->abort();
        r.error = QStringLiteral("time limit reached");
        reponse->deleteLater();
        return r;
    }
    reader.take();
    QObject::disconnect(reponse, nullptr, nullptr, nullptr);
    r.status = reponse->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!reader.refusal.isEmpty()) r.error = reader.refusal;
    else if (reponse->error() != QNetworkReply::NoError) r.error = reponse->errorString();
    bool longueurOk = true;
    const QVariant annonce = reponse->header(QNetworkRequest::ContentLengthHeader);
    if (r.error.isEmpty() && annonce.isValid() && annonce.toLongLong() != reader.received) {
        longueurOk = false;
        r.error =
            QStringLiteral("%1 bytes received of the %2 announced").arg(reader.received).arg(annonce.toLongLong());
    }
    r.ok = r.status == 200 && r.error.isEmpty() && longueurOk;
    r.body = std::move(reader.body);
    reponse->deleteLater();
    return r;
}

HttpReply LinuxNetwork::download(const QString& url, const QString& fichier, int delaiMs, qint64 tailleMax) {
    // The body streams into a temporary file beside the target, which takes
    // the target's name only once the whole reply has arrived.
    QSaveFile f(fichier);
    if (!f.open(QIODevice::WriteOnly)) {
        HttpReply r;
        r.error = QStringLiteral("cannot write %1: %2").arg(fichier, f.errorString());
        return r;
    }
    HttpReply r = attendre(manager().get(request(url)), delaiMs, tailleMax, &f);
    if (r.ok && !f.commit()) {
        r.ok = false;
        r.error = QStringLiteral("cannot write %1: %2").arg(fichier, f.errorString());
    }
    if (!r.ok) f.cancelWriting(); // the temporary file goes with f
    r.body.clear();
    return r;
}

HttpReply LinuxNetwork::get(const QString& url, int delaiMs, qint64 tailleMax) {
    return attendre(manager().get(request(url)), delaiMs, tailleMax, nullptr);
}

HttpReply LinuxNetwork::post(const QString& url, const QByteArray& enTeteType, const QByteArray& corps,
                             bool attendreReponse, int delaiMs, qint64 tailleMax) {
    QNetworkRequest req = request(url);
    if (!enTeteType.isEmpty()) req.setHeader(QNetworkRequest::ContentTypeHeader, enTeteType);
    QNetworkReply* reponse = manager().post(req, corps);
    if (!attendreReponse) {
        // Sent and forgotten: the reply is read and dropped as it comes, and
        // one longer than the limit (or a redirect elsewhere) ends the transfer.
        auto reader = std::make_shared<Reader>(Reader{reponse, std::max<qint64>(0, tailleMax), nullptr, {}, 0, {}});
        reader->hookUp(false);
        QObject::connect(reponse, &QNetworkReply::readyRead, reponse, [reader] {
            reader->take();
            reader->body.clear();
        });
        QObject::connect(reponse, &QNetworkReply::finished, reponse, &QObject::deleteLater);
        return {};
    }
    return attendre(reponse, delaiMs, tailleMax, nullptr);
}

} // namespace tk
