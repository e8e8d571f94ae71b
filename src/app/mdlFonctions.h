// Shared procedures: the error handler and its log, the trace hook, the
// report sender and the byte-count formatter.
#pragma once

#include <QByteArray>
#include <QString>

namespace tk {

class Programme;

// The report text as the body of a form post: blanks as "%20", and only the
// bytes that would end or change a form value ("%", "&", "+", "#", control
// characters and every byte of a non-ASCII character in UTF-8) as "%XX".
// Everything else, "=" and "_" included, stands as it is.
QByteArray corps_rapport(const QString& rapport);

class mdlFonctions {
public:
    explicit mdlFonctions(Programme& prog);

    // Shows an error once per distinct number, logs it to "err.log" (see
    // chemin_log) and, when the user answers OK, sends a report.
    void afficher_erreur(const QString& description, double numero, const QString& routine, const QString& module);
    // Lets pending window events run once; the text names the caller.
    void trace_debug(const QString& texte);
    // Sends one report (error or message) to the report server. Not awaited
    // unless `attendre`: then true only when the server answered with success
    // within `delaiMs`.
    bool MAF(bool attendre = false, int delaiMs = 15000);
    // Byte count or rate to text in "ko", "Mo" or "Go".
    QString Affichage(double valeur, bool arrondir);

    // The folder of the program's own files (error log, version file of the
    // update check): beside the executable when that folder is writable, else
    // the user's state folder (an installed program).
    QString dossier_ecriture();
    // The error log's path, in that folder; the report sender reads the same file.
    QString chemin_log();
    // The text of the last message box shown by afficher_erreur.
    const QString& dernier_message() const { return message_; }

private:
    Programme& prog;
    double dernier_numero_ = 0;
    int reponse_ = 0;
    QString message_;
};

} // namespace tk
