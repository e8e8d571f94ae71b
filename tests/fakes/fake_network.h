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
    explicit FakeSocket(FakeNetwork* reseau) : reseau_(reseau) {}
    ~FakeSocket() override;

    void connectTo(const QString& hote, int port) override;
    void connectToTls(const QString& hote, int port) override;
    void close() override;
    int state() override { return etat; }
    void send(const QByteArray& donnees) override;
    // While paused, data pushed by recevoir() waits in `enAttente`; it is
    // delivered when the pause ends (from the event loop on the real socket;
    // here by the next livrerAttente()).
    void setReadingPaused(bool p) override { enPause = p; }
    void livrerAttente();

    // Server side.
    void accepter();                        // the connection succeeds: Connecte, onConnected
    void recevoir(const QByteArray& donnees); // one arrival event with `donnees`
    void fermerDistant();                   // the server closes: Ferme, onClosed
    void echouer(const QString& message);   // Erreur, onError
    void echouerTls(const QString& message); // Erreur, onTlsError (certificate or handshake refused)
    QByteArray envoiTotal() const { return envois.join(); }

    int etat = Ferme;
    QString hote;
    int port = 0;
    bool tls = false;          // the last connection asked for TLS
    int connexions = 0;        // connectTo calls
    int fermetures = 0;        // close calls
    QList<QByteArray> envois;  // each send, in order
    bool enPause = false;
    QByteArray enAttente;      // data pushed while paused

private:
    friend class FakeNetwork;
    FakeNetwork* reseau_;
};

class FakeNetwork : public Network {
public:
    struct Requete {
        QString methode;   // "GET", "DOWNLOAD" or "POST"
        QString url;
        QByteArray type;   // POST content type
        QByteArray corps;  // POST body
        QString fichier;   // DOWNLOAD target
        bool attendre = true;
        int delaiMs = 0;
        qint64 tailleMax = 0;
    };

    // Replies by exact address; an address without one gets a refused
    // connection (ok false, status 0). `surRequete`, when set, answers instead.
    QMap<QString, ReponseHttp> reponses;
    std::function<ReponseHttp(const Requete&)> surRequete;
    std::vector<Requete> requetes;
    // Where downloads are written; when null they go to the real disk.
    FakeFiles* fichiers = nullptr;
    // Every socket created and still alive, oldest first.
    QList<FakeSocket*> sockets;

    FakeNetwork() = default;
    ~FakeNetwork() override;
    FakeNetwork(const FakeNetwork&) = delete;
    FakeNetwork& operator=(const FakeNetwork&) = delete;

    void repondre(const QString& url, int status, const QByteArray& corps = {});
    FakeSocket* derniereSocket() const { return sockets.isEmpty() ? nullptr : sockets.back(); }

    std::unique_ptr<Socket> createSocket() override;
    // A body longer than the request's limit fails, as with the real service.
    ReponseHttp download(const QString& url, const QString& fichier, int delaiMs, qint64 tailleMax) override;
    ReponseHttp get(const QString& url, int delaiMs, qint64 tailleMax) override;
    ReponseHttp post(const QString& url, const QByteArray& enTeteType, const QByteArray& corps, bool attendre,
                     int delaiMs, qint64 tailleMax) override;

private:
    friend class FakeSocket;
    ReponseHttp traiter(const Requete& r);
    ReponseHttp traiter_limite(const Requete& r);
};

} // namespace tk
