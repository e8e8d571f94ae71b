#include "platform/linux/linux_network.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

namespace tk {

LinuxSocket::LinuxSocket() : socket_(new QSslSocket) {
    QObject::connect(socket_, &QSslSocket::readyRead, socket_, [this] {
        const QByteArray donnees = socket_->readAll();
        if (!donnees.isEmpty() && onData) onData(donnees);
    });
    QObject::connect(socket_, &QSslSocket::connected, socket_, [this] {
        erreur_ = false;
        tcp_etabli_ = true;
        if (!tls_ && onConnected) onConnected();
    });
    QObject::connect(socket_, &QSslSocket::encrypted, socket_, [this] {
        chiffre_ = true;
        if (onConnected) onConnected();
    });
    QObject::connect(socket_, &QSslSocket::sslErrors, socket_, [this](const QList<QSslError>& erreurs) {
        for (const QSslError& e : erreurs) erreurs_tls_ << e.errorString();
    });
    QObject::connect(socket_, &QSslSocket::disconnected, socket_, [this] {
        if (onClosed) onClosed();
    });
    QObject::connect(socket_, &QSslSocket::errorOccurred, socket_, [this](QAbstractSocket::SocketError) {
        erreur_ = true;
        // Once the TCP connection is up, a failure before the handshake
        // completed is the certificate or the handshake itself.
        if (tls_ && tcp_etabli_ && !chiffre_) {
            const QString texte = erreurs_tls_.isEmpty() ? socket_->errorString() : erreurs_tls_.join(QStringLiteral("; "));
            erreurs_tls_.clear();
            tls_ = false; // reported once
            if (onTlsError) onTlsError(texte);
            return;
        }
        if (onError) onError(socket_->errorString());
    });
}

LinuxSocket::~LinuxSocket() {
    // Possibly called from one of our own handlers, inside a signal of socket_.
    QObject::disconnect(socket_, nullptr, nullptr, nullptr);
    socket_->abort();
    socket_->deleteLater();
}

void LinuxSocket::connectTo(const QString& hote, int port) {
    socket_->abort();
    erreur_ = tls_ = tcp_etabli_ = chiffre_ = false;
    erreurs_tls_.clear();
    socket_->connectToHost(hote, static_cast<quint16>(port));
}

void LinuxSocket::connectToTls(const QString& hote, int port) {
    socket_->abort();
    erreur_ = tcp_etabli_ = chiffre_ = false;
    tls_ = true;
    erreurs_tls_.clear();
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setPeerVerifyMode(QSslSocket::VerifyPeer);
    const QString supplement = qEnvironmentVariable("SSL_CERT_FILE");
    if (!supplement.isEmpty()) {
        const QList<QSslCertificate> autorites = QSslCertificate::fromPath(supplement, QSsl::Pem);
        if (!autorites.isEmpty()) conf.setCaCertificates(QSslConfiguration::systemCaCertificates() + autorites);
    }
    socket_->setSslConfiguration(conf);
    socket_->connectToHostEncrypted(hote, static_cast<quint16>(port));
}

void LinuxSocket::close() {
    erreur_ = tls_ = tcp_etabli_ = chiffre_ = false;
    erreurs_tls_.clear();
    socket_->abort();
}

int LinuxSocket::state() {
    switch (socket_->state()) {
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState: return Connexion;
    case QAbstractSocket::ConnectedState: return Connecte;
    case QAbstractSocket::ClosingState: return Fermeture;
    default: return erreur_ ? Erreur : Ferme;
    }
}

void LinuxSocket::send(const QByteArray& donnees) {
    if (socket_->isOpen()) socket_->write(donnees);
}

LinuxNetwork::LinuxNetwork() = default;

LinuxNetwork::~LinuxNetwork() { delete gestionnaire_; }

std::unique_ptr<Socket> LinuxNetwork::createSocket() { return std::make_unique<LinuxSocket>(); }

QNetworkAccessManager& LinuxNetwork::gestionnaire() {
    if (!gestionnaire_) {
        gestionnaire_ = new QNetworkAccessManager;
        // A request nobody waits for (an error report) would otherwise stay
        // pending for the whole run with a server that accepts and never answers.
        gestionnaire_->setTransferTimeout(60000);
    }
    return *gestionnaire_;
}

QNetworkRequest LinuxNetwork::requete(const QString& url) {
    QNetworkRequest r{QUrl(url)};
    r.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    r.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    r.setRawHeader("Cache-Control", "no-cache");
    r.setRawHeader("Pragma", "no-cache");
    return r;
}

ReponseHttp LinuxNetwork::attendre(QNetworkReply* reponse, int delaiMs) {
    ReponseHttp r;
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
        r.erreur = QStringLiteral("time limit reached");
        reponse->deleteLater();
        return r;
    }
    r.status = reponse->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.ok = r.status == 200;
    r.corps = reponse->readAll();
    if (reponse->error() != QNetworkReply::NoError) r.erreur = reponse->errorString();
    reponse->deleteLater();
    return r;
}

ReponseHttp LinuxNetwork::download(const QString& url, const QString& fichier, int delaiMs) {
    ReponseHttp r = get(url, delaiMs);
    if (r.ok) {
        QSaveFile f(fichier);
        if (!f.open(QIODevice::WriteOnly) || f.write(r.corps) != r.corps.size() || !f.commit()) {
            r.ok = false;
            r.erreur = QStringLiteral("cannot write %1: %2").arg(fichier, f.errorString());
        }
    }
    r.corps.clear();
    return r;
}

ReponseHttp LinuxNetwork::get(const QString& url, int delaiMs) {
    return attendre(gestionnaire().get(requete(url)), delaiMs);
}

ReponseHttp LinuxNetwork::post(const QString& url, const QByteArray& enTeteType, const QByteArray& corps,
                               bool attendreReponse, int delaiMs) {
    QNetworkRequest req = requete(url);
    if (!enTeteType.isEmpty()) req.setHeader(QNetworkRequest::ContentTypeHeader, enTeteType);
    QNetworkReply* reponse = gestionnaire().post(req, corps);
    if (!attendreReponse) {
        QObject::connect(reponse, &QNetworkReply::finished, reponse, &QObject::deleteLater);
        return {}; // sent; nobody waits for the answer

    }
    return attendre(reponse, delaiMs);
}

} // namespace tk
