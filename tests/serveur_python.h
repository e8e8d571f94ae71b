// Starts one of the test servers of tests/servers (python3, 127.0.0.1 only,
// with a time limit of its own) and stops it at the end of the test.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

namespace tk {

class ServeurPython {
public:
    // `script`: file name under tests/servers. The server's root folder is
    // racine() (created empty; put files there before the requests).
    explicit ServeurPython(const QString& script, int secondes = 120) {
        QDir().mkpath(racine());
        fichierPorts_ = dossier_.path() + QStringLiteral("/ports");
        processus_.setProgram(QStringLiteral("python3"));
        processus_.setArguments({QStringLiteral(TK_SOURCE_DIR "/tests/servers/") + script, racine(), fichierPorts_,
                                 QString::number(secondes)});
        processus_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        processus_.start();
        QDeadlineTimer limite(15000);
        while (!limite.hasExpired() && !QFile::exists(fichierPorts_) && processus_.state() != QProcess::NotRunning) {
            QCoreApplication::processEvents();
            QThread::msleep(20);
        }
        QFile f(fichierPorts_);
        if (f.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> mots = f.readAll().simplified().split(' ');
            for (const QByteArray& m : mots) ports_ << m.toInt();
        }
    }
    ~ServeurPython() {
        processus_.kill();
        processus_.waitForFinished(5000);
    }
    bool pret() const { return !ports_.isEmpty() && ports_[0] > 0; }
    int port(int i = 0) const { return ports_.value(i); }
    QString base(int i = 0) const { return QStringLiteral("http://127.0.0.1:%1").arg(port(i)); }
    QString racine() const { return dossier_.path() + QStringLiteral("/racine"); }
    // Writes a file under the root.
    void put(const QString& chemin, const QByteArray& contenu) const {
        const QString complet = racine() + QLatin1Char('/') + chemin;
        QDir().mkpath(QFileInfo(complet).absolutePath());
        QFile f(complet);
        if (f.open(QIODevice::WriteOnly)) f.write(contenu);
    }
    QByteArray journal() const {
        QFile f(racine() + QStringLiteral("/requests.log"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dossier_;
    QString fichierPorts_;
    QProcess processus_;
    QList<int> ports_;
};

} // namespace tk
