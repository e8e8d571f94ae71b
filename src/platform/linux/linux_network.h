// Network access on Linux: QTcpSocket, or QSslSocket once TLS is asked for, for the mailbox dialogue,
// QNetworkAccessManager for downloads and posts.
#pragma once

#include "platform/network.h"

#include <QPointer>
#include <QStringList>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QIODevice;
class QUrl;
class QTcpSocket;

namespace tk {

// A socket control over QTcpSocket, which becomes a QSslSocket the first time it connects with TLS. Its
// handlers may close it, connect it again, or destroy it: the Qt socket is
// released only once control is back in the event loop.
// TLS trusts the system's store (/etc/ssl/certs); when SSL_CERT_FILE names a
// PEM file, its certificates are trusted as well, as OpenSSL's own tools do.
class LinuxSocket : public Socket {
public:
    LinuxSocket();
    ~LinuxSocket() override;
    void connectTo(const QString& host, int port) override;
    void connectToTls(const QString& host, int port) override;
    void close() override;
    int state() override;
    void send(const QByteArray& data) override;
    void setReadingPaused(bool paused) override;

    // What the Qt socket keeps of arrived data that was not taken yet; past
    // that it stops reading and the sender is held back by TCP.
    static constexpr qint64 READ_BUFFER_SIZE = 16 * 1024;

private:
    // Hands the arrived data to onData unless reading is paused.
    void deliver();
    // The same, from the event loop.
    void deliverLater();
    // Takes s as the connection's socket (the one before is let go).
    void useSocket(QTcpSocket* s);

    QTcpSocket* socket_ = nullptr;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool failed_ = false;
    bool paused_ = false;
    bool tls_ = false;       // the connection asked for TLS
    bool tcpUp_ = false;     // the TCP connection is up (TLS: handshake under way or done)
    bool encrypted_ = false; // the TLS handshake succeeded
    QStringList tlsErrors_;  // certificate errors of the handshake
};

// Waits run a local event loop, so timers and window events go on meanwhile.
// Nothing is taken from or written to an HTTP cache; TLS certificates are verified.
class LinuxNetwork : public Network {
public:
    LinuxNetwork();
    ~LinuxNetwork() override;
    std::unique_ptr<Socket> createSocket() override;
    HttpReply download(const QString& url, const QString& file, int timeoutMs, qint64 maxSize) override;
    HttpReply get(const QString& url, int timeoutMs, qint64 maxSize) override;
    HttpReply post(const QString& url, const QByteArray& contentType, const QByteArray& body, bool awaitReply,
                   int timeoutMs, qint64 maxSize) override;

    // A redirect from `from` to `target` is followed only when both have the
    // same scheme, host and port (an absent port counts as the scheme's own).
    static bool redirectAllowed(const QUrl& from, const QUrl& target);

private:
    QNetworkAccessManager& manager();
    static QNetworkRequest request(const QString& url);
    // Reads the body of `reply` as it arrives, into `destination` when given,
    // else into the result; checks redirects. Waits for the end (at most
    // `timeoutMs`), then fills the result and deletes the reply.
    static HttpReply awaitReply(QNetworkReply* reply, int timeoutMs, qint64 maxSize, QIODevice* destination);

    QNetworkAccessManager* manager_ = nullptr;
};

} // namespace tk
