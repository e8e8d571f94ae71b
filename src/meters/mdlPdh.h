// The counter query, the sampling cycle and the drawing of the meters.
#pragma once

#include "diag/erreur.h"
#include "forms/controles.h"
#include "platform/counters.h"

#include <QFont>
#include <QImage>
#include <QLine>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tk {

class Programme;
class frmMain;
class PictureBox;

// A counter record: path, counter handle, unit, meter surface, caption.
struct compteur_pdh {
    QString chemin;
    int32_t hcompteur = 0;
    QString unite;
    PictureBox* surface = nullptr;
    QString libelle;
};

constexpr int NB_COMPTEURS = 19; // rows 0 to 18

// One drawing step, as seen by an observer of the meters (tests, diagnostics):
// the start of a meter procedure (quoi = its name), a line ("Line"), a text
// position ("PSet"), a caption ("Print") or a smoothed curve segment ("ligne_lissee").
struct TraceDessin {
    QString quoi;
    const PictureBox* surface = nullptr;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Couleur couleur = 0;
    QString texte;
};

class mdlPdh {
public:
    explicit mdlPdh(Programme& prog);
    ~mdlPdh();
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);

    // Counter query and meter controls.
    void init_pdh();
    // Sampling cycle.
    void lire_compteurs();
    void TimerGetValues_Timer();

    // Meter drawing.
    void dessiner_compteur_cpu(int16_t v);
    void dessiner_compteur_ram(int16_t v);
    void dessiner_compteur_diskE(double v, PictureBox* surface, int16_t rang);
    void dessiner_compteur_diskL(double v, PictureBox* surface, int16_t rang);
    void dessiner_compteur_REZO(double v, PictureBox* surface, int16_t k);
    void dessiner_quadrillage(PictureBox* surface, int16_t k);
    void ecrire_sur_compteur(PictureBox* surface, const QString& texte);

    std::unique_ptr<CounterQuery> requete_pdh;
    int32_t hcompteur_courant = 0;
    compteur_pdh compteur_cpu;
    compteur_pdh compteur_ram;
    std::array<compteur_pdh, NB_COMPTEURS> compteurs_ecriture;
    std::array<compteur_pdh, NB_COMPTEURS> compteurs_lecture;
    std::array<compteur_pdh, NB_COMPTEURS> compteurs_rezo;
    std::array<double, 31> echelle_rezo{};

    // Histories: the highest index holds the newest sample.
    std::array<uint8_t, 202> historique_cpu{};
    std::array<int16_t, 202> historique_ram{};
    std::array<std::array<double, 22>, 31> historique_ecriture{};
    std::array<std::array<double, 22>, 31> historique_lecture{};
    std::array<std::array<double, 202>, 21> historique_rezo{};

    // Receives every drawing step when set.
    std::function<void(const TraceDessin&)> espion;
    // How many plain graphs were scrolled instead of drawn again, and how
    // many captions put back from the last tick instead of written again.
    int defilements() const { return defilements_; }
    int legendes_reprises() const { return legendes_reprises_; }

private:
    // Adds one counter to the query and stores its handle in the record
    // (0 when the query refuses the path).
    void ajouter_compteur(compteur_pdh& c);
    // The current value of a record's counter.
    double valeur(const compteur_pdh& c);
    // Builds the meter controls of member k: front order, visibility, tool-tip, caption, icon.
    void montrer_compteur(int k, const compteur_pdh& c, const QPixmap& icone);

    // Drawing helpers shared by the meter procedures. A sample's height is
    // given by `y1` for the left end of a segment and `y2` for its right end.
    using Hauteur = std::function<double(int n)>;
    void dessiner_disque(double v, PictureBox* surface, int16_t rang, bool ecriture);
    // `echantillons` is the history drawn and `cle` its scale: the same scale
    // on the next tick means the same heights for the same samples.
    void colonnes_simples(PictureBox& s, Piege& t, int n, const Hauteur& y1, const Hauteur& y2,
                          const std::vector<double>& echantillons, double cle);
    void colonnes_lissees(PictureBox& s, Piege& t, int n, double x, double x_fin, int a, int b, bool borne,
                          const Hauteur& y1, const Hauteur& y2);
    void trait(PictureBox& s, double x1, double y1, double x2, double y2, Couleur c);
    void signaler(const QString& quoi, const PictureBox* s);

    Programme& prog;
    // The curve segments of the meter being drawn in the plain style, kept
    // between meters so that their room is reused.
    std::vector<QLine> segments_;

    // One column of a plain meter: the heights of its two ends, and whether
    // they could be worked out (a column in error is not drawn).
    struct ColonneSimple {
        double y1 = 0, y2 = 0;
        bool dessinee = false;
    };
    // A plain meter as last drawn, so that the next tick can scroll it: the
    // surface as it stood before the columns (background, grid line), the
    // graph without its caption, the columns drawn (0 at the right) and what
    // they were drawn with.
    struct GrapheSimple {
        QPointer<QWidget> controle; // gone with the meter
        bool valide = false;
        QImage fond, graphe;
        bool fond_uni = false; // every row of the background in one colour
        std::vector<ColonneSimple> colonnes;
        double largeur = 0, hauteur = 0;
        QRgb pfond = 0, pcourbe = 0;
        std::vector<double> echantillons; // the history drawn and its scale
        double cle = 0;
    };
    std::unordered_map<const PictureBox*, GrapheSimple> graphes_;
    std::vector<ColonneSimple> hauteurs_; // the meter being drawn
    std::vector<double> echantillons_;    // its history
    int defilements_ = 0;

    // A caption a meter wrote: the text and where, the zone of pixels it may
    // change, and for each pixel of the zone what the caption made of the
    // last colours found there.
    struct LegendeGardee {
        static constexpr int COULEURS = 4;
        struct Pixel {
            int n = 0;
            std::array<QRgb, COULEURS> fond{}, resultat{};
        };
        bool valide = false; // the pixels hold what the text gave
        QString texte;
        double x = 0;
        QSize taille;
        QImage::Format format = QImage::Format_Invalid;
        QFont police;
        bool zone_connue = false;
        QRect zone;
        std::vector<Pixel> pixels;
        std::vector<QRgb> avant, sortie; // the zone being written
        bool sortie_de_avant = false;    // `sortie` is what the text made of `avant`
        double y_apres = 0;
    };
    // The last few captions of one meter, the most recently written last: a
    // figure that goes back and forth between a few values (a processor at
    // rest) finds its caption kept.
    struct LegendesGardees {
        static constexpr std::size_t TEXTES = 4;
        QPointer<QWidget> controle; // gone with the meter
        bool valide = false;
        std::vector<LegendeGardee> textes;
    };
    std::unordered_map<const PictureBox*, LegendesGardees> legendes_;
    int legendes_reprises_ = 0;
};

} // namespace tk
