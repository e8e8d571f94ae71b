// A small HTTP server on 127.0.0.1 for tests: it answers canned responses by
// path and keeps every request. A path without a response gets no answer at
// all, as a server that hangs.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>

namespace tk {

class ServeurHttp {
public:
    struct Reponse {
        int status;
        QByteArray corps;
    };
    std::map<QByteArray, Reponse> routes;
    QList<QByteArray> entetes; // request line and headers of each request
    QList<QByteArray> cibles;  // target of each request, query included
    QList<QByteArray> chemins; // the same without the query
    QList<QByteArray> corps;   // body of each request

    ServeurHttp() {
        serveur_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&serveur_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = serveur_.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { lire(s); });
                QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    bool ecoute() const { return serveur_.isListening(); }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serveur_.serverPort()); }

private:
    void lire(QTcpSocket* s) {
        QByteArray& tampon = tampons_[s];
        tampon += s->readAll();
        const qsizetype fin = tampon.indexOf("\r\n\r\n");
        if (fin < 0) return;
        const QByteArray tete = tampon.left(fin);
        qsizetype longueur = 0;
        for (const QByteArray& l : tete.split('\n'))
            if (l.toLower().startsWith("content-length:")) longueur = l.mid(15).trimmed().toLongLong();
        if (tampon.size() < fin + 4 + longueur) return;
        entetes << tete;
        corps << tampon.mid(fin + 4, longueur);
        tampons_.erase(s);
        const QByteArray cible =
            tete.left(tete.indexOf('\r') < 0 ? tete.size() : tete.indexOf('\r')).split(' ').value(1);
        const QByteArray chemin = cible.left(cible.indexOf('?') < 0 ? cible.size() : cible.indexOf('?'));
        cibles << cible;
        chemins << chemin;
        const auto it = routes.find(chemin);
        if (it == routes.end()) return;
        s->write("HTTP/1.1 " + QByteArray::number(it->second.status) + " X\r\nContent-Length: " +
                 QByteArray::number(it->second.corps.size()) + "\r\nConnection: close\r\n\r\n" + it->second.corps);
        s->disconnectFromHost();
    }
    QTcpServer serveur_;
    std::map<QTcpSocket*, QByteArray> tampons_;
};

} // namespace tk
