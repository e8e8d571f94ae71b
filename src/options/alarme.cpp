// The new-mail alarm choice and the message to the author.
#include "app/programme.h"
#include "app/mdlFonctions.h"
#include "options/frmOption.h"
#include "platform/dialogs.h"

namespace tk {

namespace {

const QString MODULE = QStringLiteral("frmOption");
// Linux file names are case-sensitive: the upper-case extensions are listed too.
const QString FILTRE_SON_LISTE = QStringLiteral("Fichiers son (*.mp3;*.wav)|*.mp3;*.wav;*.MP3;*.WAV");
const QString FILTRE_SON_BOUTON = QStringLiteral("Audio files (*.mp3;*.wav)|*.mp3;*.wav;*.MP3;*.WAV");
const QString PAS_DE_SON = QStringLiteral("no sound selected !");
// How long the send button waits for the report server's answer.
constexpr int DELAI_ENVOI_MS = 15000;
} // namespace

void frmOption::ComboAlarme_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("ComboAlarme_Click"), MODULE);
    QString texte;
    t([&] { texte = ComboAlarme->Text(); });
    if (texte == QLatin1String("No sound")) {
        t([&] { prog.plateforme.dialogs.msgBox(PAS_DE_SON, vbOKOnly, QString()); });
    } else if (texte == QLatin1String("Beep")) {
        t([&] { prog.plateforme.sound.beep(); });
    } else if (texte == QLatin1String("Select file to play")) {
        QString fichier;
        t([&] {
            CD.Filter = FILTRE_SON_LISTE;
            fichier = CD.ShowOpen(prog.plateforme.dialogs);
        });
        if (fichier.isEmpty()) {
            t([&] { ComboAlarme->setText(QStringLiteral("No sound")); });
            return;
        }
        t([&] { ComboAlarme->setText(fichier); });
        t([&] { prog.fonctions().trace_debug(QStringLiteral(" ComboAlarme_Click")); });
        t([&] { prog.plateforme.sound.playSync(fichier); });
    }
    t([&] { ComboAlarme->setToolTipText(CD.FileName); });
}

void frmOption::btnPlaySound_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("btnPlaySound_Click"), MODULE);
    QString texte;
    t([&] { texte = ComboAlarme->Text(); });
    if (texte == QLatin1String("No sound")) {
        t([&] { prog.plateforme.dialogs.msgBox(PAS_DE_SON, vbOKOnly, QString()); });
    } else if (texte == QLatin1String("Beep")) {
        t([&] { prog.plateforme.sound.beep(); });
    } else if (texte == QLatin1String("Select file to play")) {
        QString fichier;
        t([&] {
            CD.Filter = FILTRE_SON_BOUTON;
            fichier = CD.ShowOpen(prog.plateforme.dialogs);
        });
        if (fichier.isEmpty()) {
            t([&] { ComboAlarme->setText(QStringLiteral("No sound")); });
            return;
        }
        t([&] { prog.fonctions().trace_debug(QStringLiteral(" btnPlaySound_Click")); });
        t([&] { ComboAlarme->setText(fichier); });
        t([&] { prog.plateforme.sound.playSync(fichier); });
    } else {
        // A file chosen earlier; one that cannot be played stays silent.
        t([&] { prog.plateforme.sound.playSync(texte); });
    }
    t([&] { ComboAlarme->setToolTipText(CD.FileName); });
}

// The message travels with a report; the confirmation is shown only when the
// server took it.
void frmOption::btnSend_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("btnSend_Click"), MODULE);
    t([&] { txtInfo->setCaption(QStringLiteral("Sending message...")); });
    t([&] { prog.fonctions().trace_debug(QStringLiteral(" btnSend_Click")); });
    bool envoye = false;
    t([&] { envoye = prog.fonctions().MAF(true, DELAI_ENVOI_MS); });
    if (!envoye) {
        t([&] { txtInfo->setCaption(QStringLiteral("Non connecté...")); });
        return;
    }
    t([&] { txtInfo->setCaption(QStringLiteral("OK")); });
    t([&] {
        prog.plateforme.dialogs.msgBox(QStringLiteral("Your message is successfully sent!"), vbOKOnly, QString());
    });
}

} // namespace tk
