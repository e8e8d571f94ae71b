// Downloads, posts and the TCP socket against servers on 127.0.0.1.
#include "platform/linux/linux_network.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>
#include <functional>

#include "serveur_http.h"
#include <map>

using namespace tk;

namespace {

bool attendre_que(const std::function<bool()>& condition, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

int port_ferme() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const int port = s.serverPort();
    s.close();
    return port;
}

QByteArray contenu(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(LinuxNetwork, DownloadWritesTheFileOnlyOnStatus200) {
    ServeurHttp http;
    http.routes["/tarvik/tarvik.ver"] = {200, "1.4.3\r\nnotes\r\n"};
    http.routes["/tarvik/tarvik.exe"] = {404, "not here"};
    QTemporaryDir d;
    LinuxNetwork net;

    ReponseHttp r = net.download(http.base() + "/tarvik/tarvik.ver", d.path() + "/tarvik.ini", 5000);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(contenu(d.path() + "/tarvik.ini"), "1.4.3\r\nnotes\r\n");
    ASSERT_FALSE(http.entetes.isEmpty());
    EXPECT_TRUE(http.entetes[0].toLower().contains("cache-control: no-cache"));

    QFile ancien(d.path() + "/tarvik_");
    ASSERT_TRUE(ancien.open(QIODevice::WriteOnly));
    ancien.write("previous");
    ancien.close();
    r = net.download(http.base() + "/tarvik/tarvik.exe", d.path() + "/tarvik_", 5000);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(contenu(d.path() + "/tarvik_"), "previous");
    r = net.download(http.base() + "/tarvik/tarvik.exe", d.path() + "/new", 5000);
    EXPECT_FALSE(QFile::exists(d.path() + "/new"));
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary left
}

TEST(LinuxNetwork, RefusedConnectionAndTimeLimit) {
    QTemporaryDir d;
    LinuxNetwork net;
    ReponseHttp r = net.download(QStringLiteral("http://127.0.0.1:%1/x").arg(port_ferme()), d.path() + "/x", 5000);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(r.erreur.isEmpty());
    EXPECT_FALSE(QFile::exists(d.path() + "/x"));

    ServeurHttp muet; // accepts, never answers
    int ticks = 0;
    QTimer minuterie;
    QObject::connect(&minuterie, &QTimer::timeout, [&] { ++ticks; });
    minuterie.start(20);
    QElapsedTimer t;
    t.start();
    r = net.get(muet.base() + "/slow", 300);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_GE(t.elapsed(), 250);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_GT(ticks, 3); // timers ran while waiting
}

TEST(LinuxNetwork, PostCarriesQueryAndBodyWhole) {
    ServeurHttp http;
    http.routes["/tarvik/log.php"] = {200, "merci"};
    LinuxNetwork net;
    const QByteArray valeur = "user=a%20b_MSG=%5B%5Dx%26y%25z%2Bw%23v";
    ReponseHttp r = net.post(http.base() + "/tarvik/log.php?info=" + valeur,
                             "application/x-www-form-urlencoded", valeur, true, 5000);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.corps, "merci");
    ASSERT_EQ(http.entetes.size(), 1);
    EXPECT_TRUE(http.entetes[0].startsWith("POST /tarvik/log.php?info=" + valeur + " HTTP/1.1")) << http.entetes[0].constData();
    EXPECT_TRUE(http.entetes[0].toLower().contains("content-type: application/x-www-form-urlencoded"));
    EXPECT_EQ(http.corps[0], valeur);

    // Sent and forgotten: the call returns at once, the request still arrives.
    net.post(http.base() + "/tarvik/log.php?info=2", "application/x-www-form-urlencoded", "a&b", false, 0);
    EXPECT_EQ(http.entetes.size(), 1);
    ASSERT_TRUE(attendre_que([&] { return http.entetes.size() == 2; }));
    EXPECT_EQ(http.corps[1], "a&b");
}

TEST(LinuxSocket, DialogueWithAServer) {
    QTcpServer serveur;
    ASSERT_TRUE(serveur.listen(QHostAddress::LocalHost, 0));
    QTcpSocket* cote = nullptr;
    QByteArray recuServeur;
    QObject::connect(&serveur, &QTcpServer::newConnection, [&] {
        cote = serveur.nextPendingConnection();
        QObject::connect(cote, &QTcpSocket::readyRead, [&] { recuServeur += cote->readAll(); });
        cote->write("+OK 2 mess");
        cote->flush();
        QTimer::singleShot(50, cote, [&] { cote->write("ages (320 octets)\r\n"); });
    });

    LinuxNetwork net;
    std::unique_ptr<Socket> s = net.createSocket();
    QList<QByteArray> morceaux;
    bool connecte = false, ferme = false;
    s->onData = [&](const QByteArray& d) { morceaux << d; };
    s->onConnected = [&] { connecte = true; };
    s->onClosed = [&] { ferme = true; };
    EXPECT_EQ(s->state(), Socket::Ferme);
    s->connectTo("127.0.0.1", serveur.serverPort());
    EXPECT_EQ(s->state(), Socket::Connexion);
    ASSERT_TRUE(attendre_que([&] { return morceaux.join() == "+OK 2 messages (320 octets)\r\n"; }));
    EXPECT_TRUE(connecte);
    EXPECT_EQ(s->state(), Socket::Connecte);
    EXPECT_GE(morceaux.size(), 2); // two arrival events for two writes

    s->send("STAT\r\n");
    ASSERT_TRUE(attendre_que([&] { return recuServeur == "STAT\r\n"; }));
    cote->disconnectFromHost();
    ASSERT_TRUE(attendre_que([&] { return ferme; }));
    s->close();
    EXPECT_EQ(s->state(), Socket::Ferme);
}

// A server that does not speak TLS: the handshake fails, reported as a TLS
// failure (not as a socket error), and nothing it sent reaches the program.
TEST(LinuxSocket, TlsToAPlainServerFailsAsAHandshake) {
    QTcpServer serveur;
    ASSERT_TRUE(serveur.listen(QHostAddress::LocalHost, 0));
    QObject::connect(&serveur, &QTcpServer::newConnection, [&] {
        QTcpSocket* cote = serveur.nextPendingConnection();
        cote->write("+OK plain POP3 server ready\r\n");
        cote->flush();
    });
    LinuxNetwork net;
    std::unique_ptr<Socket> s = net.createSocket();
    QString tls, erreur;
    QByteArray donnees;
    bool connecte = false;
    s->onTlsError = [&](const QString& e) { tls = e; };
    s->onError = [&](const QString& e) { erreur = e; };
    s->onData = [&](const QByteArray& d) { donnees += d; };
    s->onConnected = [&] { connecte = true; };
    s->connectToTls("127.0.0.1", serveur.serverPort());
    ASSERT_TRUE(attendre_que([&] { return !tls.isEmpty(); }));
    EXPECT_TRUE(erreur.isEmpty()) << erreur.toStdString();
    EXPECT_TRUE(donnees.isEmpty());
    EXPECT_FALSE(connecte);
    EXPECT_EQ(s->state(), Socket::Erreur);

    // Refused before any TLS: an ordinary socket error.
    tls.clear();
    s->connectToTls("127.0.0.1", port_ferme());
    ASSERT_TRUE(attendre_que([&] { return !erreur.isEmpty(); }));
    EXPECT_TRUE(tls.isEmpty());
    s->close();
    EXPECT_EQ(s->state(), Socket::Ferme);
}

TEST(LinuxSocket, RefusedConnectionIsAnErrorUntilClosed) {
    LinuxNetwork net;
    std::unique_ptr<Socket> s = net.createSocket();
    QString erreur;
    s->onError = [&](const QString& e) { erreur = e; };
    s->connectTo("127.0.0.1", port_ferme());
    ASSERT_TRUE(attendre_que([&] { return !erreur.isEmpty(); }));
    EXPECT_EQ(s->state(), Socket::Erreur);
    s->close();
    EXPECT_EQ(s->state(), Socket::Ferme);
    // A handler may destroy its own socket.
    s->onError = [&](const QString&) { s.reset(); };
    s->connectTo("127.0.0.1", port_ferme());
    ASSERT_TRUE(attendre_que([&] { return !s; }));
}
