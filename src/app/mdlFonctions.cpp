#include "app/mdlFonctions.h"

#include "app/programme.h"
#include "diag/format.h"
#include "diag/numerique.h"
#include "forms/controles.h"

#include <QDateTime>
#include <QLocale>

namespace tk {

const QString MODULE = QStringLiteral("mdlFonctions");

mdlFonctions::mdlFonctions(Programme& p) : prog(p) {}

QString mdlFonctions::dossier_ecriture() {
    Files& fichiers = prog.plateforme.files;
    const QString dossier = fichiers.programFolder();
    if (fichiers.canWriteFolder(dossier)) return dossier;
    const QString etat = fichiers.stateFolder();
    // No state folder either: the program folder is kept, and writes there fail as before.
    return etat.isEmpty() ? dossier : etat;
}

QString mdlFonctions::chemin_log() { return dossier_ecriture() + QStringLiteral("/err.log"); }

void mdlFonctions::afficher_erreur(const QString& description, double numero, const QString& routine,
                                   const QString& module) {
    // The handler ignores its own errors.
    Piege::muet()([&] {
        // An error that repeats is neither shown nor logged again until another was shown.
        if (numero == dernier_numero_) return;
        const QString crlf = QStringLiteral("\r\n");
        message_ = QStringLiteral("Une erreur est survenue dans le le logiciel!") + crlf +
                   QStringLiteral("Déscriptif:") + crlf + QStringLiteral("Module:") + module + crlf +
                   QStringLiteral("Routine:") + routine + crlf + QStringLiteral("Erreur:") + texte_nombre(numero) +
                   QStringLiteral(" ") + description + crlf +
                   QStringLiteral("Voulez vous envoyer ce rapport d'erreur ?");
        dernier_numero_ = numero;
        reponse_ = prog.plateforme.dialogs.msgBox(message_, vbOKCancel | vbCritical, QStringLiteral("Tarvik"));
        // The date is written day first with a four-digit year, so that the
        // report sender can read it back from the last line.
        const QString ligne = QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) +
                              QStringLiteral(" ") + module + QStringLiteral(" ") + routine + QStringLiteral(" ") +
                              texte_nombre(numero) + QStringLiteral(" ") + description + crlf;
        prog.plateforme.files.appendText(chemin_log(), ligne.toUtf8());
        if (reponse_ == vbOK) MAF();
    });
}

void mdlFonctions::trace_debug(const QString&) { DoEvents(); }

QString mdlFonctions::Affichage(double valeur, bool arrondir) {
    QString resultat;
    Piege t(prog.rapporteur(), QStringLiteral("Affichage"), MODULE);
    t([&] { resultat = affichage_texte(valeur, arrondir, QLocale()); });
    return resultat;
}

} // namespace tk
