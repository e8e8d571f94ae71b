// Network access on Linux: QSslSocket (plain, or TLS on request) for the mailbox dialogue,
// QNetworkAccessManager for downloads and posts.
#pragma once

#include "platform/network.h"

#include <QPointer>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QSslSocket;

namespace tk {

// A socket control over QSslSocket, plain unless connected with TLS. Its
// handlers may close it, connect it again, or destroy it: the Qt socket is
// released only once control is back in the event loop.
// TLS trusts the system's store (/etc/ssl/certs); when SSL_CERT_FILE names a
// PEM file, its certificates are trusted as well, as OpenSSL's own tools do.
class LinuxSocket : public Socket {
public:
    LinuxSocket();
    ~LinuxSocket() override;
    void connectTo(const QString& hote, int port) override;
    void connectToTls(const QString& hote, int port) override;
    void close() override;
    int state() override;
    void send(const QByteArray& donnees) override;

private:
    QSslSocket* socket_;
    bool erreur_ = false;
    bool tls_ = false;        // the connection asked for TLS
    bool tcp_etabli_ = false; // the TCP connection is up (TLS: handshake under way or done)
    bool chiffre_ = false;    // the TLS handshake succeeded
    QStringList erreurs_tls_; // certificate errors of the handshake
};

// Waits run a local event loop, so timers and window events go on meanwhile.
// Nothing is taken from or written to an HTTP cache; TLS certificates are verified.
class LinuxNetwork : public Network {
public:
    LinuxNetwork();
    ~LinuxNetwork() override;
    std::unique_ptr<Socket> createSocket() override;
    // The file is replaced in one step (temporary file, then rename) and only on
    // status 200; otherwise it is left as it was. The body is not returned.
    ReponseHttp download(const QString& url, const QString& fichier, int delaiMs) override;
    ReponseHttp get(const QString& url, int delaiMs) override;
    ReponseHttp post(const QString& url, const QByteArray& enTeteType, const QByteArray& corps, bool attendre,
                     int delaiMs) override;

private:
    QNetworkAccessManager& gestionnaire();
    static QNetworkRequest requete(const QString& url);
    // Waits for `reponse` to finish (at most `delaiMs`), then fills the result and deletes it.
    static ReponseHttp attendre(QNetworkReply* reponse, int delaiMs);

    QNetworkAccessManager* gestionnaire_ = nullptr;
};

} // namespace tk
