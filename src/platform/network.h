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
    enum State { Closed = 0, Connecting = 4, Connected = 7, Closing = 8, Error = 9 };
    virtual ~Socket() = default;
    virtual void connectTo(const QString& host, int port) = 0;
    // Connects and runs a TLS handshake before any data flows: the server's
    // certificate must be valid for `host` and signed by an authority of the
    // system's store. onConnected comes once the handshake succeeded; onData
    // sees only decrypted data.
    virtual void connectToTls(const QString& host, int port) = 0;
    virtual void close() = 0;
    virtual int state() = 0;
    virtual void send(const QByteArray& data) = 0;
    // While paused, nothing is delivered to onData: arriving data waits in a
    // bounded buffer (the sender is held back once it is full) and is
    // delivered from the event loop after the pause ends. A connection made
    // while paused stays paused.
    virtual void setReadingPaused(bool paused) = 0;
    // Handlers; called on the UI thread from the event loop.
    std::function<void(const QByteArray&)> onData;
    std::function<void()> onConnected;
    std::function<void()> onClosed;
    std::function<void(const QString&)> onError;
    // A TLS connection whose certificate or handshake failed: the connection
    // is dropped (state Error until closed) and onError is not called. The
    // text says why.
    std::function<void(const QString&)> onTlsError;
};

struct HttpReply {
    // A whole reply arrived with status 200: no transfer error, no more than
    // the size limit, and exactly the announced length when one was given.
    bool ok = false;
    int status = 0; // HTTP status, 0 when no reply
    QByteArray body;
    QString error;
};

// Size limits of the bodies the program accepts.
constexpr qint64 MAX_VERSION_SIZE = 64 * 1024;              // version file
constexpr qint64 MAX_EXECUTABLE_SIZE = 256LL * 1024 * 1024; // new executable
constexpr qint64 MAX_REPORT_REPLY_SIZE = 64 * 1024;         // reply to a report

class Network {
public:
    virtual ~Network() = default;
    virtual std::unique_ptr<Socket> createSocket() = 0;
    // Every request follows redirects only to the same scheme, host and port
    // as its own address. A body longer than `maxSize` ends the transfer
    // as a failure.
    //
    // Downloads `url` to `file` without any cache; runs pending events while waiting
    // at most `timeoutMs`. The body goes to a temporary file beside `file`, which
    // takes its name only when the whole reply arrived (ok); otherwise nothing is kept
    // and a file already under that name is left as it was. The body is not returned.
    virtual HttpReply download(const QString& url, const QString& file, int timeoutMs, qint64 maxSize) = 0;
    // Blocking GET with a time limit (pending events run meanwhile).
    virtual HttpReply get(const QString& url, int timeoutMs, qint64 maxSize) = 0;
    // POST; when `waitForReply` is false it is sent and forgotten (the result is
    // empty, the reply is read and dropped), otherwise the reply is awaited for
    // at most `timeoutMs`.
    virtual HttpReply post(const QString& url, const QByteArray& contentType, const QByteArray& body, bool waitForReply,
                           int timeoutMs, qint64 maxSize) = 0;
};

} // namespace tk
