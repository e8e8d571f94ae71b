// Network access on Linux: QTcpSocket for the mailbox dialogue,
// QNetworkAccessManager for downloads and posts.
#pragma once

#include "platform/network.h"

#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QTcpSocket;

namespace tk {

// A socket control over QTcpSocket. Its handlers may close it, connect it
// again, or destroy it: the Qt socket is released only once control is back
// in the event loop.
class LinuxSocket : public Socket {
public:
    LinuxSocket();
    ~LinuxSocket() override;
    void connectTo(const QString& hote, int port) override;
    void close() override;
    int state() override;
    void send(const QByteArray& donnees) override;

private:
    QTcpSocket* socket_;
    bool erreur_ = false;
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
