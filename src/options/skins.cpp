// The bar's background, chosen in the options dialog's skin list.
#include "app/frmMain.h"
#include "app/programme.h"
#include "app/registre.h"
#include "app/mdlFonctions.h"
#include "options/frmOption.h"
#include "platform/dialogs.h"

#include <QFileInfo>
#include <QPainter>

namespace tk {

namespace {

const QString MODULE = QStringLiteral("frmOption");

const QString FILTRE_IMAGES =
    QStringLiteral("Fichiers image (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp;*.JPG;*.JPEG;*.BMP");

// Reads a picture file; error 53 when it is missing, 481 when it is no picture.
QPixmap lire_image(const QString& fichier) {
    if (fichier.isEmpty() || !QFileInfo::exists(fichier)) lever(ERR_FICHIER_INTROUVABLE);
    QPixmap image(fichier);
    if (image.isNull()) lever(ERR_IMAGE_INCORRECTE);
    return image;
}

// What was painted on the bar window itself (the wallpaper band) goes away.
void effacer_dessin(frmMain& f) {
    if (f.fenetre()) {
        f.fenetre()->calque = QImage();
        f.fenetre()->update();
    }
}

} // namespace

QString DialogueFichier::ShowOpen(Dialogs& dialogues) {
    const QString dossier = FileName.isEmpty() ? QString() : QFileInfo(FileName).absolutePath();
    const QString choisi = dialogues.openFile(QString(), Filter, dossier);
    if (!choisi.isEmpty()) FileName = choisi;
    return choisi;
}

void frmOption::ComboSkin_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("ComboSkin_Click"), MODULE);
    QString texte;
    t([&] { texte = ComboSkin->Text(); });
    frmMain& f = prog.frmMain();

    if (texte == QLatin1String("Windows skin")) {
        t([&] { f.picFond->setPicture(QPixmap()); });
        t([&] { f.Pic->setPicture(QPixmap()); });
        t([&] { effacer_dessin(f); });
        t([&] { f.setBackColor(vbSysteme(COLOR_ACTIVECAPTION)); });
        t([&] { f.picFond->setVisible(false); });
        t([&] { f.Pic->setVisible(false); });
        t([&] { f.Refresh(); });
    } else if (texte == QLatin1String("Tarvik skin")) {
        t([&] { f.picFond->setVisible(true); });
        t([&] { f.picFond->setHeight(f.Height()); });
        t([&] { f.picFond->setPicture(f.picSkin->Picture()); });
    } else if (texte == QLatin1String("Mode transparent")) {
        t([&] { f.picFond->setPicture(QPixmap()); });
        t([&] { effacer_dessin(f); });
        // The desktop's wallpaper; none (or one the loader cannot read)
        // leaves the window's own colour.
        QPixmap fond;
        t([&] {
            const QString chemin = lire_registre(prog, RegistryRoot::HKEY_CURRENT_USER,
                                                 QStringLiteral("Control Panel\\Desktop"), QStringLiteral("Wallpaper"));
            if (!chemin.isEmpty()) fond.load(chemin);
        });
        if (!fond.isNull()) {
            // The hidden box takes the picture's size.
            t([&] {
                f.Pic->Move(0, 0, fond.width() * TWIPS_PAR_PIXEL, fond.height() * TWIPS_PAR_PIXEL);
                f.Pic->setPicture(fond);
                f.Pic->Refresh();
            });
            t([&] { prog.fonctions().trace_debug(QStringLiteral(" ComboSkin_Click")); });
            // The whole width of the wallpaper spans the screen's width; its top
            // band, in the proportion of the bar's height to the screen's, the bar.
            t([&] {
                const float largeur_ecran = static_cast<float>(Ecran::Width());
                const float hauteur_ecran = static_cast<float>(Ecran::Height());
                const float largeur_source = f.Pic->Width() / largeur_ecran * f.Width();
                const float hauteur_source = f.Pic->Height() / hauteur_ecran * f.Height();
                FenetreForme* w = f.fenetre();
                if (!w) return;
                if (w->calque.size() != w->size()) {
                    QImage calque(w->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
                    calque.fill(Qt::transparent);
                    w->calque = calque;
                }
                QPainter p(&w->calque);
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                const double px = TWIPS_PAR_PIXEL;
                p.drawPixmap(QRectF(0, 0, largeur_ecran / px, f.Height() / px), fond,
                             QRectF(0, 0, largeur_source / px, hauteur_source / px));
            });
        }
        t([&] { f.Pic->setPicture(QPixmap()); });
        // The hidden box gives back the wallpaper-sized surface it was given.
        t([&] { f.Pic->Move(0, 0, 0, 0); });
        t([&] { f.picFond->setPicture(QPixmap()); });
        t([&] { f.picFond->setVisible(false); });
        t([&] { f.Refresh(); });
    } else {
        // "No skin" is what a cancelled choice left: nothing to re-apply.
        if (texte == QLatin1String("No skin")) return;
        QString fichier = texte;
        if (texte == QLatin1String("Select a new skin")) {
            // Only a choice by the user opens the file dialog; a stored path
            // is loaded as it is.
            bool ouvert = false;
            t([&] {
                CD.Filter = FILTRE_IMAGES;
                fichier = CD.ShowOpen(prog.plateforme.dialogs);
                ouvert = true;
            });
            if (!ouvert) return;
            if (fichier.isEmpty()) {
                t([&] { ComboSkin->setText(QStringLiteral("No skin")); });
                return;
            }
            t([&] { ComboSkin->setText(fichier); });
        }
        // A picture that cannot be read is an error; the background stays as it was.
        t([&] { f.picFond->setPicture(lire_image(fichier)); });
        t([&] { prog.fonctions().trace_debug(QStringLiteral(" ComboSkin_Click")); });
    }
    t([&] { ComboSkin->setToolTipText(CD.FileName); });
}

} // namespace tk
