// Scripted HTTP replies and a scriptable socket for unit tests.
#pragma once

#include "platform/network.h"

#include <QList>
#include <QMap>
#include <functional>
#include <vector>

namespace tk {

class FakeFiles;
class FakeNetwork;

// The test plays the server: it accepts or refuses the connection, pushes
// data and sees everything the program sent.
class FakeSocket : public Socket {
public:
    explicit FakeSocket(FakeNetwork* network) : network_(network) {}
    ~FakeSocket() override;

    void connectTo(const QString& host, int port) override;
    void connectToTls(const QString& host, int port) override;
    void close() override;
    int state() override { return currentState; }
    void send(const QByteArray& data) override;
    // While paused, data pushed by receive() waits in `pending`; it is
    // delivered when the pause ends (from the event loop on the real socket;
    // here by the next deliverPending()).
    void setReadingPaused(bool p) override { paused = p; }
    void deliverPending();

    // Server side.
    void accept();                        // the connection succeeds: Connected, onConnected
    void receive(const QByteArray& data); // one arrival event with `data`
    void closeRemote();                   // the server closes: Closed, onClosed
    void fail(const QString& message);    // Error, onError
    void failTls(const QString& message); // Error, onTlsError (certificate or handshake refused)
    QByteArray sentTotal() const { return sends.join(); }

    int currentState = Closed;
    QString host;
    int port = 0;
    bool tls = false;        // the last connection asked for TLS
    int connections = 0;     // connectTo calls
    int closes = 0;          // close calls
    QList<QByteArray> sends; // each send, in order
    bool paused = false;
    QByteArray pending; // data pushed while paused

private:
    friend class FakeNetwork;
    FakeNetwork* network_;
};

class FakeNetwork : public Network {
public:
    struct Request {
        QString method; // "GET", "DOWNLOAD" or "POST"
        QString url;
        QByteArray type; // POST content type
        QByteArray body; // POST body
        QString file;    // DOWNLOAD target
        bool waitForReply = true;
        int timeoutMs = 0;
        qint64 maxSize = 0;
    };

    // Replies by exact address; an address without one gets a refused
    // connection (ok false, status 0). `onRequest`, when set, answers instead.
    QMap<QString, HttpReply> replies;
    std::function<HttpReply(const Request&)> onRequest;
    std::vector<Request> requests;
    // Where downloads are written; when null they go to the real disk.
    FakeFiles* files = nullptr;
    // Every socket created and still alive, oldest first.
    QList<FakeSocket*> sockets;

    FakeNetwork() = default;
    ~FakeNetwork() override;
    FakeNetwork(const FakeNetwork&) = delete;
    FakeNetwork& operator=(const FakeNetwork&) = delete;

    void reply(const QString& url, int status, const QByteArray& body = {});
    FakeSocket* lastSocket() const { return sockets.isEmpty() ? nullptr : sockets.back(); }

    std::unique_ptr<Socket> createSocket() override;
    // A body longer than the request's limit fails, as with the real service.
    HttpReply download(const QString& url, const QString& file, int timeoutMs, qint64 maxSize) override;
    HttpReply get(const QString& url, int timeoutMs, qint64 maxSize) override;
    HttpReply post(const QString& url, const QByteArray& contentType, const QByteArray& body, bool waitForReply,
                   int timeoutMs, qint64 maxSize) override;

private:
    friend class FakeSocket;
    HttpReply answer(const Request& r);
    HttpReply answerWithinLimit(const Request& r);
};

} // namespace tk
