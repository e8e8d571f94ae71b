// The report sender: the message of the options dialog, the tail of the
// error log and a few facts about the installation, posted to the server.
#include "app/programme.h"
#include "app/mdlFonctions.h"
#include "forms/controles.h"
#include "options/frmOption.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QUrl>

namespace tk {

namespace {

const QString MODULE = QStringLiteral("mdlFonctions");

// The last field of a text read field by field, fields ending at a comma or
// at a line end; leading blanks are skipped and a quoted field runs to its
// closing quote (what follows it up to the delimiter is dropped).
QString dernier_champ(const QString& texte) {
    QString dernier;
    const qsizetype n = texte.size();
    qsizetype i = 0;
    auto fin_de_ligne = [](QChar c) { return c == u'\r' || c == u'\n'; };
    while (i < n) {
        while (i < n && (texte[i] == u' ' || texte[i] == u'\t')) ++i;
        QString champ;
        if (i < n && texte[i] == u'"') {
            const qsizetype fin = texte.indexOf(u'"', i + 1);
            const qsizetype arret = fin < 0 ? n : fin;
            champ = texte.mid(i + 1, arret - i - 1);
            i = fin < 0 ? n : fin + 1;
            while (i < n && texte[i] != u',' && !fin_de_ligne(texte[i])) ++i;
        } else {
            const qsizetype debut = i;
            while (i < n && texte[i] != u',' && !fin_de_ligne(texte[i])) ++i;
            champ = texte.mid(debut, i - debut);
            while (champ.endsWith(u' ') || champ.endsWith(u'\t')) champ.chop(1);
        }
        if (i < n) {
            if (texte[i] == u',') ++i;
            else if (texte[i] == u'\r') {
                ++i;
                if (i < n && texte[i] == u'\n') ++i;
            } else ++i;
        }
        dernier = champ;
    }
    return dernier;
}

// The date that opens a log line (day first, four-digit year); invalid when
// the text does not start with one.
QDate date_du_champ(const QString& champ) {
    const QString debut = champ.left(10);
    QDate d = QDate::fromString(debut, QStringLiteral("dd/MM/yyyy"));
    if (!d.isValid()) d = QDate::fromString(debut, Qt::ISODate);
    return d;
}

// The first-use setting, written in the system's short date form, as dd/mm/yy.
// A text that reads as no date is reported as it is.
QString date_courte(const QString& texte) {
    if (texte.trimmed().isEmpty()) return QString();
    QDate d = QLocale::system().toDate(texte, QLocale::ShortFormat);
    if (!d.isValid()) d = QLocale::system().toDate(texte, QLocale::LongFormat);
    if (!d.isValid()) d = QDate::fromString(texte, QStringLiteral("dd/MM/yyyy"));
    if (!d.isValid()) d = QDate::fromString(texte, Qt::ISODate);
    if (!d.isValid()) return texte;
    return d.toString(QStringLiteral("dd/MM/yy"));
}

// A name cut before its first character outside the codes 48 to 122.
QString nom_coupe(const QString& nom) {
    qsizetype i = 0;
    while (i < nom.size() && nom[i].unicode() >= 48 && nom[i].unicode() <= 122) ++i;
    return nom.left(i);
}

} // namespace

QByteArray corps_rapport(const QString& rapport) {
    static const char chiffres[] = "0123456789ABCDEF";
    const QByteArray octets = rapport.toUtf8();
    QByteArray r;
    r.reserve(octets.size() + 16);
    for (const char c : octets) {
        const auto o = static_cast<unsigned char>(c);
        if (o == ' ') {
            r += "%20";
        } else if (o < 0x20 || o >= 0x7f || o == '%' || o == '&' || o == '+' || o == '#') {
            r += '%';
            r += chiffres[o >> 4];
            r += chiffres[o & 0xf];
        } else {
            r += c;
        }
    }
    return r;
}

bool mdlFonctions::MAF(bool attendre, int delaiMs) {
    Piege t(prog.rapporteur(), QStringLiteral("MAF"), MODULE);
    Files& fichiers = prog.plateforme.files;
    const QString log = chemin_log();

    QString message;
    t([&] {
        frmOption& f = prog.frmOption();
        if (f.txtMessage) message = f.txtMessage->Text();
    });

    // 1. The log's size; a log of 100000 bytes or more is dropped.
    QString taille;
    t([&] {
        if (!fichiers.exists(log)) return;
        taille = QString::number(fichiers.size(log));
        if (taille.size() > 5) {
            fichiers.remove(log);
            message += QStringLiteral("[Err>100ko]");
        }
    });

    // 2. The last field of the log, when it is a recent error line.
    t([&] {
        if (!fichiers.exists(log)) return;
        QByteArray contenu;
        if (!fichiers.readAll(log, contenu)) return;
        const QString champ = dernier_champ(QString::fromUtf8(contenu));
        if (champ.size() <= 30) return;
        const QDate jour = date_du_champ(champ);
        if (!jour.isValid()) return; // no date: nothing to add
        if (QDateTime(jour, QTime(0, 0)).secsTo(QDateTime::currentDateTime()) < 2 * 86400) message += champ;
    });

    // 3. The extended message goes back into the dialog.
    t([&] {
        frmOption& f = prog.frmOption();
        if (f.txtMessage) f.txtMessage->setText(message);
    });

    // 4. Who and where.
    QString utilisateur, ordinateur;
    t([&] { utilisateur = fichiers.userName(); });
    t([&] { ordinateur = nom_coupe(fichiers.computerName()); });

    // 5. The report.
    QString rapport;
    t([&] {
        rapport = QStringLiteral("user=") + utilisateur + QStringLiteral("_computer=") + ordinateur +
                  QStringLiteral("_version=TK V") + QString::number(Programme::version_major()) + QLatin1Char('.') +
                  QString::number(Programme::version_minor()) + QLatin1Char('.') +
                  QString::number(Programme::version_revision()) + QStringLiteral("_FU=") +
                  date_courte(prog.GetSetting(QStringLiteral("firstUse"), QString())) + QStringLiteral("_NBU=") +
                  prog.GetSetting(QStringLiteral("nbUse"), QString()) + QStringLiteral("_MSG=[") + taille +
                  QLatin1Char(']') + message;
    });
    // In the query the whole text is one value: everything but letters,
    // digits and "-._~" is escaped. The body is the report text itself, made
    // safe as a form value, so that what is typed in the message box reaches
    // the server unchanged and can never add a field.
    const QByteArray valeur = QUrl::toPercentEncoding(rapport);
    const QByteArray corps = corps_rapport(rapport);

    // 6, 7. Sent; the answer is awaited only when asked for.
    t([&] { trace_debug(QStringLiteral(" MAF")); });
    bool ok = false;
    t([&] {
        const QString adresse =
            prog.adresse_serveur() + QStringLiteral("/tarvik/log.php?info=") + QString::fromLatin1(valeur);
        const HttpReply r =
            prog.plateforme.network.post(adresse, QByteArrayLiteral("application/x-www-form-urlencoded"), corps,
                                         attendre, delaiMs, MAX_REPORT_REPLY_SIZE);
        ok = attendre && r.ok;
    });
    t([&] { trace_debug(QStringLiteral(" MAF")); });
    return ok;
}

} // namespace tk
