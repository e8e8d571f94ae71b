// Every meter kind, in both drawing styles, drawn from fixed histories and
// compared pixel for pixel with stored reference pictures. Any change in how
// the meters are drawn (the drawing routines, the picture box's painting, the
// caption text) shows up here; a change made on purpose is accepted by
// regenerating the references and reviewing the new pictures before committing.
//
// Regenerate (writes tests/meters/reference/*.png in the source tree):
//
//     TARVIK_REGENERER_REFERENCES=1 build-test/tests/test_meters --gtest_filter='References.*'
//
// A mismatch leaves the picture actually drawn beside the test program
// (references-obtenues/<name>.png in the working directory) for comparison.
#include "app/frmMain.h"
#include "app/programme.h"
#include "fakes/fake_platform.h"
#include "meters/mdlPdh.h"
#include "meters/modAntiAlias.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace tk;

namespace {

const QString DOSSIER_REFERENCES = QStringLiteral(TK_REFERENCES_METRES);

bool regenerer() { return qEnvironmentVariableIntValue("TARVIK_REGENERER_REFERENCES") == 1; }

// What the meter shows on screen: the picture box's widget painted as it
// would be on the bar.
QImage vue(const PictureBox& s) { return s.widget()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Compares a drawing with its reference, or stores it when regenerating.
void comparer(const QImage& obtenue, const QString& nom) {
    const QString chemin = DOSSIER_REFERENCES + QLatin1Char('/') + nom + QStringLiteral(".png");
    if (regenerer()) {
        QDir().mkpath(DOSSIER_REFERENCES);
        ASSERT_TRUE(obtenue.save(chemin)) << chemin.toStdString();
        return;
    }
    QImage reference(chemin);
    ASSERT_FALSE(reference.isNull()) << "missing reference " << chemin.toStdString()
                                     << " (regenerate with TARVIK_REGENERER_REFERENCES=1)";
    reference = reference.convertToFormat(QImage::Format_RGB32);
    int differents = 0, premier_x = -1, premier_y = -1;
    if (reference.size() == obtenue.size()) {
        for (int y = 0; y < reference.height(); ++y)
            for (int x = 0; x < reference.width(); ++x)
                if (reference.pixel(x, y) != obtenue.pixel(x, y) && differents++ == 0) {
                    premier_x = x;
                    premier_y = y;
                }
    }
    if (reference.size() != obtenue.size() || differents != 0) {
        QDir().mkpath(QStringLiteral("references-obtenues"));
        obtenue.save(QStringLiteral("references-obtenues/") + nom + QStringLiteral(".png"));
    }
    ASSERT_EQ(reference.size(), obtenue.size()) << nom.toStdString();
    EXPECT_EQ(differents, 0) << nom.toStdString() << ": first difference at (" << premier_x << ", " << premier_y << ")";
}

// The bar's meters in their usual sizes, one drive row, one interface pair,
// and a history that reaches both ends of every scale.
struct Banc_references {
    TestBench b;
    frmMain& f = b.p().frmMain();
    mdlPdh& pdh = b.p().pdh();

    explicit Banc_references(bool lisse) {
        b.p().lissage = lisse;
        b.p().antialias().init_couleurs_lissage();
        f.picCompteur(0).Move(0, 15, 3000, 285);
        f.picCompteur(1).Move(0, 15, 1500, 285);
        for (int k = 2; k <= 3; ++k) {
            f.picCompteur.Load(k);
            f.picCompteur(k).Move(0, 15, 3000, 285);
        }
        f.picDebitDiskE(0).Move(0, 30, 615, 240);
        f.picDebitDiskL(0).Move(0, 30, 615, 240);
    }

    // 230 ticks: more than any history holds, so every column has a sample.
    void remplir(const std::function<void(int)>& tick) {
        for (int i = 0; i < 230; ++i) tick(i);
        EXPECT_TRUE(b.fp.dialogs.boxes.empty()) << b.fp.dialogs.boxes[0].text.toStdString();
    }
};

// Fixed sample sequences: a slow wave with sharp steps, zeros and full scale.
double onde(int i) { return 0.5 + 0.5 * std::sin(i * 0.21) * std::cos(i * 0.047); }
int16_t pourcent(int i) {
    return static_cast<int16_t>(i % 37 == 0 ? 100 : i % 23 == 0 ? 0 : std::lround(100 * onde(i)));
}
double debit(int i, double crete) { return i % 9 < 2 ? 0 : std::round(crete * onde(i + 5)); }

// Runs a check in the plain style, then in the smoothed one; the reference
// names end in "-simple" or "-lisse".
void verifier_styles(const std::function<void(Banc_references&, const QString&)>& corps) {
    for (bool lisse : {false, true}) {
        SCOPED_TRACE(lisse ? "smoothed" : "plain");
        Banc_references r(lisse);
        corps(r, lisse ? QStringLiteral("-lisse") : QStringLiteral("-simple"));
    }
}

} // namespace

TEST(References, ProcessorAndMemoryMeters) {
    verifier_styles([](Banc_references& r, const QString& style) {
        r.remplir([&](int i) {
            r.pdh.dessiner_compteur_cpu(pourcent(i));
            r.pdh.dessiner_compteur_ram(static_cast<int16_t>(40 + pourcent(i + 11) / 4));
        });
        comparer(vue(r.f.picCompteur(0)), QStringLiteral("processeur") + style);
        comparer(vue(r.f.picCompteur(1)), QStringLiteral("memoire") + style);
    });
}

TEST(References, DriveWriteAndReadMeters) {
    verifier_styles([](Banc_references& r, const QString& style) {
        r.remplir([&](int i) {
            r.pdh.dessiner_compteur_diskE(debit(i, 4.2e7), &r.f.picDebitDiskE(0), 0);
            // Reads stay small: the smoothed style's 5000-byte floor shows.
            r.pdh.dessiner_compteur_diskL(debit(i + 3, 3000), &r.f.picDebitDiskL(0), 0);
        });
        comparer(vue(r.f.picDebitDiskE(0)), QStringLiteral("disque-ecriture") + style);
        comparer(vue(r.f.picDebitDiskL(0)), QStringLiteral("disque-lecture") + style);
    });
}

TEST(References, NetworkReceivedAndSentMeters) {
    verifier_styles([](Banc_references& r, const QString& style) {
        // Received traffic far above sent: the received meter carries the
        // reference line at the sent meter's full scale.
        r.remplir([&](int i) {
            r.pdh.dessiner_compteur_REZO(debit(i, 2.5e6), &r.f.picCompteur(2), 0);
            r.pdh.dessiner_compteur_REZO(debit(i + 4, 1.5e5), &r.f.picCompteur(3), 1);
        });
        ASSERT_GT(r.pdh.echelle_rezo[0], r.pdh.echelle_rezo[1]);
        comparer(vue(r.f.picCompteur(2)), QStringLiteral("reseau-recu") + style);
        comparer(vue(r.f.picCompteur(3)), QStringLiteral("reseau-envoye") + style);
    });
}
