#include "fakes/fake_network.h"

#include "fakes/fake_files.h"

#include <QFile>
#include <QSaveFile>
#include <utility>

namespace tk {

FakeSocket::~FakeSocket() {
    if (reseau_) reseau_->sockets.removeAll(this);
}

void FakeSocket::connectTo(const QString& h, int p) {
    hote = h;
    port = p;
    tls = false;
    ++connexions;
    etat = Connexion;
    enAttente.clear();
}

void FakeSocket::connectToTls(const QString& h, int p) {
    connectTo(h, p);
    tls = true;
}

void FakeSocket::close() {
    ++fermetures;
    etat = Ferme;
    enAttente.clear();
}

void FakeSocket::send(const QByteArray& donnees) {
    if (etat == Connecte || etat == Connexion) envois << donnees;
}

void FakeSocket::accepter() {
    etat = Connecte;
    if (onConnected) onConnected();
}

void FakeSocket::recevoir(const QByteArray& donnees) {
    if (enPause) {
        enAttente += donnees;
        return;
    }
    if (onData) onData(donnees);
}

void FakeSocket::livrerAttente() {
    if (enPause || enAttente.isEmpty()) return;
    const QByteArray d = std::exchange(enAttente, {});
    if (onData) onData(d);
}

void FakeSocket::fermerDistant() {
    etat = Ferme;
    if (onClosed) onClosed();
}

void FakeSocket::echouer(const QString& message) {
    etat = Erreur;
    if (onError) onError(message);
}

void FakeSocket::echouerTls(const QString& message) {
    etat = Erreur;
    if (onTlsError) onTlsError(message);
}

FakeNetwork::~FakeNetwork() {
    for (FakeSocket* s : sockets) s->reseau_ = nullptr; // sockets that outlive the network
}

void FakeNetwork::repondre(const QString& url, int status, const QByteArray& corps) {
    ReponseHttp r;
    r.status = status;
    r.ok = status == 200;
    r.corps = corps;
    reponses.insert(url, r);
}

std::unique_ptr<Socket> FakeNetwork::createSocket() {
    auto s = std::make_unique<FakeSocket>(this);
    sockets << s.get();
    return s;
}

ReponseHttp FakeNetwork::traiter(const Requete& r) {
    requetes.push_back(r);
    if (surRequete) return surRequete(r);
    const auto it = reponses.constFind(r.url);
    if (it != reponses.constEnd()) return *it;
    ReponseHttp refus;
    refus.erreur = QStringLiteral("Connection refused");
    return refus;
}

ReponseHttp FakeNetwork::traiter_limite(const Requete& r) {
    ReponseHttp rep = traiter(r);
    if (rep.corps.size() > r.tailleMax) {
        rep.ok = false;
        rep.corps.clear();
        rep.erreur = QStringLiteral("reply larger than the limit");
    }
    return rep;
}

ReponseHttp FakeNetwork::download(const QString& url, const QString& fichier, int delaiMs, qint64 tailleMax) {
    Requete q;
    q.methode = QStringLiteral("DOWNLOAD");
    q.url = url;
    q.fichier = fichier;
    q.delaiMs = delaiMs;
    q.tailleMax = tailleMax;
    ReponseHttp r = traiter_limite(q);
    // As the real service: the file takes its name only when the whole reply arrived.
    if (r.ok) {
        if (fichiers && !fichiers->ecrivable(fichier)) {
            r.ok = false;
            r.erreur = QStringLiteral("cannot write ") + fichier;
        } else if (fichiers) {
            fichiers->fichiers.insert(fichier, r.corps);
            fichiers->executables.remove(fichier);
        } else {
            QSaveFile f(fichier);
            if (!f.open(QIODevice::WriteOnly) || f.write(r.corps) != r.corps.size() || !f.commit()) r.ok = false;
        }
    }
    r.corps.clear();
    return r;
}

ReponseHttp FakeNetwork::get(const QString& url, int delaiMs, qint64 tailleMax) {
    Requete q;
    q.methode = QStringLiteral("GET");
    q.url = url;
    q.delaiMs = delaiMs;
    q.tailleMax = tailleMax;
    return traiter_limite(q);
}

ReponseHttp FakeNetwork::post(const QString& url, const QByteArray& enTeteType, const QByteArray& corps,
                              bool attendre, int delaiMs, qint64 tailleMax) {
    Requete q;
    q.methode = QStringLiteral("POST");
    q.url = url;
    q.type = enTeteType;
    q.corps = corps;
    q.attendre = attendre;
    q.delaiMs = delaiMs;
    q.tailleMax = tailleMax;
    const ReponseHttp r = traiter_limite(q);
    return attendre ? r : ReponseHttp{};
}

} // namespace tk
