// The update window: the question, the download and the hand-over, and the
// progress window of the replacement and of the clean-up at start.
#pragma once

#include "diag/erreur.h"
#include "forms/controles.h"
#include "forms/forme.h"

#include <memory>

namespace tk {

class Programme;

class frmMaj : public Forme {
    Q_OBJECT
public:
    explicit frmMaj(Programme& prog);
    ~frmMaj() override;

    // Started as the replacement: puts the replacement file in place of the
    // old program, starts it and ends the process. Never returns.
    void session_reboot();
    // Normal start: removes a replacement file left by a finished update.
    void session_nettoyage();

    // Handlers.
    void btnAction_Click(int16_t Index);
    void TimerCligno_Timer();

    // Controls.
    std::unique_ptr<Label> txtInfo;
    GroupeControles<Label> txtVersion{QStringLiteral("txtVersion")};
    GroupeControles<CommandButton> btnAction{QStringLiteral("btnAction")};
    GroupeControles<PictureBox> picAppli{QStringLiteral("picAppli")};
    GroupeControles<PictureBox> picFleche{QStringLiteral("picFleche")};
    std::unique_ptr<Timer> TimerCligno;

    // Texts of the question and of a failed download.
    static QString texte_question();
    static QString texte_echec_telechargement();

protected:
    Qt::WindowFlags drapeaux_fenetre() const override;
    bool dialogue_fixe() const override;
    void creer_controles(QWidget* fenetre) override;
    void Form_Load() override;

private:
    Label& etiquette(std::unique_ptr<Label>& place, QWidget* parent, const char* nom, double l, double t, double w,
                     double h);
    // Shows a step in the message line, lets events run, then waits; a
    // failure goes to the caller's error trap.
    void etape(Piege& t, const QString& texte, int attenteMs);
    // Shows the running version on both sides, disables the buttons, shows the window.
    void preparer_progression();
    // The "Oui" path: download, unload, start the replacement, end.
    void accepter_mise_a_jour();
    // True when `chemin` is the file of this very process.
    bool est_programme_courant(const QString& chemin);
    // A copy of `source` under a temporary name in the program folder, ready
    // to be renamed over the old program; empty when the copy failed.
    QString copie_temporaire(const QString& source);

    Programme& prog;
    bool en_reponse_ = false; // the "Oui" path runs (events run inside it)
};

} // namespace tk
