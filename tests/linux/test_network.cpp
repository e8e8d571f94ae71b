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
#include <QUrl>

#include <gtest/gtest.h>
#include <functional>

#include "serveur_http.h"
#include "serveur_python.h"
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

    HttpReply r = net.download(http.base() + "/tarvik/tarvik.ver", d.path() + "/tarvik.ini", 5000, MAX_VERSION_SIZE);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(contenu(d.path() + "/tarvik.ini"), "1.4.3\r\nnotes\r\n");
    ASSERT_FALSE(http.entetes.isEmpty());
    EXPECT_TRUE(http.entetes[0].toLower().contains("cache-control: no-cache"));

    QFile ancien(d.path() + "/tarvik_");
    ASSERT_TRUE(ancien.open(QIODevice::WriteOnly));
    ancien.write("previous");
    ancien.close();
    r = net.download(http.base() + "/tarvik/tarvik.exe", d.path() + "/tarvik_", 5000, MAX_EXECUTABLE_SIZE);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(contenu(d.path() + "/tarvik_"), "previous");
    r = net.download(http.base() + "/tarvik/tarvik.exe", d.path() + "/new", 5000, MAX_EXECUTABLE_SIZE);
    EXPECT_FALSE(QFile::exists(d.path() + "/new"));
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary left
}

TEST(LinuxNetwork, RefusedConnectionAndTimeLimit) {
    QTemporaryDir d;
    LinuxNetwork net;
    HttpReply r = net.download(QStringLiteral("http://127.0.0.1:%1/x").arg(port_ferme()), d.path() + "/x", 5000, 1000);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_FALSE(QFile::exists(d.path() + "/x"));

    ServeurHttp muet; // accepts, never answers
    int ticks = 0;
    QTimer minuterie;
    QObject::connect(&minuterie, &QTimer::timeout, [&] { ++ticks; });
    minuterie.start(20);
    QElapsedTimer t;
    t.start();
    r = net.get(muet.base() + "/slow", 300, 1000);
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
    HttpReply r = net.post(http.base() + "/tarvik/log.php?info=" + valeur, "application/x-www-form-urlencoded", valeur,
                           true, 5000, MAX_REPORT_REPLY_SIZE);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.body, "merci");
    ASSERT_EQ(http.entetes.size(), 1);
    EXPECT_TRUE(http.entetes[0].startsWith("POST /tarvik/log.php?info=" + valeur + " HTTP/1.1"))
        << http.entetes[0].constData();
    EXPECT_TRUE(http.entetes[0].toLower().contains("content-type: application/x-www-form-urlencoded"));
    EXPECT_EQ(http.corps[0], valeur);

    // Sent and forgotten: the call returns at once, the request still arrives.
    net.post(http.base() + "/tarvik/log.php?info=2", "application/x-www-form-urlencoded", "a&b", false, 0,
             MAX_REPORT_REPLY_SIZE);
    EXPECT_EQ(http.entetes.size(), 1);
    ASSERT_TRUE(attendre_que([&] { return http.entetes.size() == 2; }));
    EXPECT_EQ(http.corps[1], "a&b");
}

// Files in a folder, temporary ones included.
QStringList fichiers(const QString& dossier) {
    return QDir(dossier).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// Replies cut short, without end, too long or sent elsewhere never count as
// a download: nothing is kept, and what was there stays.
TEST(LinuxNetwork, OnlyAWholeReplyFromTheSameServerIsKept) {
    ServeurPython http(QStringLiteral("http_hostile.py"));
    ASSERT_TRUE(http.pret());
    QByteArray programme(300 * 1024, '\0');
    for (qsizetype i = 0; i < programme.size(); ++i) programme[i] = static_cast<char>((i * 7919) >> 3);
    http.put(QStringLiteral("tarvik/tarvik.exe"), programme);
    QTemporaryDir d;
    const QString cible = d.path() + QStringLiteral("/tarvik_");
    QFile ancien(cible);
    ASSERT_TRUE(ancien.open(QIODevice::WriteOnly));
    ancien.write("previous");
    ancien.close();
    LinuxNetwork net;

    struct Cas {
        const char* chemin;
        qint64 limite;
    };
    for (const Cas& c :
         {Cas{"/half/tarvik/tarvik.exe", MAX_EXECUTABLE_SIZE}, Cas{"/endless", 1 << 20},
          Cas{"/elsewhere/tarvik/tarvik.exe", MAX_EXECUTABLE_SIZE}, Cas{"/tarvik/tarvik.exe", 200 * 1024}}) {
        const HttpReply r = net.download(http.base() + QLatin1String(c.chemin), cible, 20000, c.limite);
        EXPECT_FALSE(r.ok) << c.chemin;
        EXPECT_FALSE(r.error.isEmpty()) << c.chemin;
        EXPECT_EQ(contenu(cible), "previous") << c.chemin;
        EXPECT_EQ(fichiers(d.path()), QStringList{QStringLiteral("tarvik_")}) << c.chemin;
    }
    // The redirect elsewhere was not followed.
    EXPECT_FALSE(http.journal().contains(QByteArray::number(http.port(1)) + " /tarvik/tarvik.exe"))
        << http.journal().constData();

    // A redirect on the same server is followed; a whole reply is kept.
    HttpReply r =
        net.download(http.base() + QStringLiteral("/here/tarvik/tarvik.exe"), cible, 20000, MAX_EXECUTABLE_SIZE);
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(contenu(cible), programme);
    EXPECT_EQ(fichiers(d.path()), QStringList{QStringLiteral("tarvik_")});

    // A reply held in memory stops at its limit too.
    r = net.get(http.base() + QStringLiteral("/endless"), 20000, MAX_VERSION_SIZE);
    EXPECT_FALSE(r.ok);
    EXPECT_LE(r.body.size(), MAX_VERSION_SIZE);
    r = net.get(http.base() + QStringLiteral("/half/tarvik/tarvik.exe"), 20000, MAX_EXECUTABLE_SIZE);
    EXPECT_FALSE(r.ok);
    r = net.get(http.base() + QStringLiteral("/tarvik/tarvik.exe"), 20000, MAX_EXECUTABLE_SIZE);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.body, programme);
}

TEST(LinuxNetwork, RedirectsStayOnTheSameSchemeHostAndPort) {
    auto permise = [](const char* a, const char* b) {
        return LinuxNetwork::redirectAllowed(QUrl(QLatin1String(a)), QUrl(QLatin1String(b)));
    };
    EXPECT_TRUE(permise("http://127.0.0.1:8080/tarvik/x", "http://127.0.0.1:8080/other"));
    EXPECT_TRUE(permise("https://Maj.Example/x", "https://maj.example:443/y"));
    EXPECT_FALSE(permise("http://127.0.0.1:8080/x", "http://127.0.0.1:8081/x"));
    EXPECT_FALSE(permise("https://maj.example/x", "http://maj.example/x"));
    EXPECT_FALSE(permise("https://maj.example/x", "https://maj.example.evil/x"));
    EXPECT_FALSE(permise("https://maj.example/x", "file:///etc/passwd"));
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
    EXPECT_EQ(s->state(), Socket::Closed);
    s->connectTo("127.0.0.1", serveur.serverPort());
    EXPECT_EQ(s->state(), Socket::Connecting);
    ASSERT_TRUE(attendre_que([&] { return morceaux.join() == "+OK 2 messages (320 octets)\r\n"; }));
    EXPECT_TRUE(connecte);
    EXPECT_EQ(s->state(), Socket::Connected);
    EXPECT_GE(morceaux.size(), 2); // two arrival events for two writes

    s->send("STAT\r\n");
    ASSERT_TRUE(attendre_que([&] { return recuServeur == "STAT\r\n"; }));
    cote->disconnectFromHost();
    ASSERT_TRUE(attendre_que([&] { return ferme; }));
    s->close();
    EXPECT_EQ(s->state(), Socket::Closed);
}

// While reading is paused nothing is delivered, and the sender is held
// back instead of filling memory; everything follows, in order, afterwards.
TEST(LinuxSocket, PausedReadingHoldsTheSenderBack) {
    QTcpServer serveur;
    ASSERT_TRUE(serveur.listen(QHostAddress::LocalHost, 0));
    QTcpSocket* cote = nullptr;
    QObject::connect(&serveur, &QTcpServer::newConnection, [&] { cote = serveur.nextPendingConnection(); });
    LinuxNetwork net;
    std::unique_ptr<Socket> s = net.createSocket();
    qint64 recu = 0, plusGros = 0;
    bool dansOrdre = true;
    s->onData = [&](const QByteArray& d) {
        for (qsizetype i = 0; i < d.size(); ++i)
            if (d[i] != static_cast<char>((recu + i) % 251)) dansOrdre = false;
        recu += d.size();
        plusGros = std::max<qint64>(plusGros, d.size());
    };
    s->setReadingPaused(true);
    s->connectTo("127.0.0.1", serveur.serverPort());
    ASSERT_TRUE(attendre_que([&] { return cote && s->state() == Socket::Connected; }));
    const qint64 total = 64LL * 1024 * 1024;
    QByteArray bloc(1024 * 1024, '\0');
    for (qint64 envoye = 0; envoye < total; envoye += bloc.size()) {
        for (qsizetype i = 0; i < bloc.size(); ++i) bloc[i] = static_cast<char>((envoye + i) % 251);
        cote->write(bloc);
    }
    // Wait until the sender stops making progress: it is held back.
    qint64 avant = -1;
    ASSERT_TRUE(attendre_que(
        [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
            const qint64 maintenant = cote->bytesToWrite();
            const bool stable = maintenant == avant;
            avant = maintenant;
            return stable;
        },
        20000));
    EXPECT_EQ(recu, 0);
    EXPECT_GT(cote->bytesToWrite(), total / 2);

    s->setReadingPaused(false);
    ASSERT_TRUE(attendre_que([&] { return recu == total; }, 60000)) << recu;
    EXPECT_TRUE(dansOrdre);
    EXPECT_LE(plusGros, LinuxSocket::READ_BUFFER_SIZE);
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
    EXPECT_EQ(s->state(), Socket::Error);

    // Refused before any TLS: an ordinary socket error.
    tls.clear();
    s->connectToTls("127.0.0.1", port_ferme());
    ASSERT_TRUE(attendre_que([&] { return !erreur.isEmpty(); }));
    EXPECT_TRUE(tls.isEmpty());
    s->close();
    EXPECT_EQ(s->state(), Socket::Closed);
}

TEST(LinuxSocket, RefusedConnectionIsAnErrorUntilClosed) {
    LinuxNetwork net;
    std::unique_ptr<Socket> s = net.createSocket();
    QString erreur;
    s->onError = [&](const QString& e) { erreur = e; };
    s->connectTo("127.0.0.1", port_ferme());
    ASSERT_TRUE(attendre_que([&] { return !erreur.isEmpty(); }));
    EXPECT_EQ(s->state(), Socket::Error);
    s->close();
    EXPECT_EQ(s->state(), Socket::Closed);
    // A handler may destroy its own socket.
    s->onError = [&](const QString&) { s.reset(); };
    s->connectTo("127.0.0.1", port_ferme());
    ASSERT_TRUE(attendre_que([&] { return !s; }));
}
