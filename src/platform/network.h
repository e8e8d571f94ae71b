// Network access: a TCP client socket for the mailbox dialogue, downloads and HTTP posts.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace tk {

// A TCP client with a data-arrival event, in the manner of a socket control.
class Socket {
public:
    enum Etat { Ferme = 0, Connexion = 4, Connecte = 7, Fermeture = 8, Erreur = 9 };
    virtual ~Socket() = default;
    virtual void connectTo(const QString& hote, int port) = 0;
    // Connects and runs a TLS handshake before any data flows: the server's
    // certificate must be valid for `hote` and signed by an authority of the
    // system's store. onConnected comes once the handshake succeeded; onData
    // sees only decrypted data.
    virtual void connectToTls(const QString& hote, int port) = 0;
    virtual void close() = 0;
    virtual int state() = 0;
    virtual void send(const QByteArray& donnees) = 0;
    // Handlers; called on the UI thread from the event loop.
    std::function<void(const QByteArray&)> onData;
    std::function<void()> onConnected;
    std::function<void()> onClosed;
    std::function<void(const QString&)> onError;
    // A TLS connection whose certificate or handshake failed: the connection
    // is dropped (state Erreur until closed) and onError is not called. The
    // text says why.
    std::function<void(const QString&)> onTlsError;
};

struct ReponseHttp {
    bool ok = false;        // a reply arrived with status 200
    int status = 0;         // HTTP status, 0 when no reply
    QByteArray corps;
    QString erreur;
};

class Network {
public:
    virtual ~Network() = default;
    virtual std::unique_ptr<Socket> createSocket() = 0;
    // Downloads `url` to `fichier` without any cache; runs pending events while waiting
    // at most `delaiMs`. The file is written only on status 200.
    virtual ReponseHttp download(const QString& url, const QString& fichier, int delaiMs) = 0;
    // Blocking GET with a time limit (pending events run meanwhile).
    virtual ReponseHttp get(const QString& url, int delaiMs) = 0;
    // POST; when `attendre` is false it is sent and forgotten (the result is
    // empty), otherwise the reply is awaited for at most `delaiMs`.
    virtual ReponseHttp post(const QString& url, const QByteArray& enTeteType, const QByteArray& corps,
                             bool attendre, int delaiMs) = 0;
};

} // namespace tk
