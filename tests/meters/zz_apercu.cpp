// TEMPORARY: renders meters to PNG for a visual check, and times a pass.
#include "app/dessins.h"
#include "app/frmMain.h"
#include "app/programme.h"
#include "fakes/fake_plateforme.h"
#include "meters/mdlPdh.h"
#include "meters/modAntiAlias.h"

#include <QElapsedTimer>
#include <QPainter>
#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>

using namespace tk;

static void apercu(bool lisse, const char* fichier) {
    Banc b;
    b.fp.counters.setAcceptAll(true);
    b.fp.system.setMemory(16ull << 30, 6ull << 30);
    b.fp.system.addInterface(QStringLiteral("eth0"));
    b.fp.system.addInterface(QStringLiteral("wlan0"));
    frmMain& f = b.p().frmMain();
    mdlPdh& pdh = b.p().pdh();
    for (int r = 0; r < 2; ++r) {
        pdh.compteurs_ecriture[r].chemin = QStringLiteral("w%1").arg(r);
        pdh.compteurs_lecture[r].chemin = QStringLiteral("r%1").arg(r);
    }
    f.picDebitDiskE.Load(1);
    f.picDebitDiskL.Load(1);
    pdh.init_pdh();
    for (int k = 0; k < f.picCompteur.Count(); ++k) f.picCompteur(k).Move(0, 0, 3000, 300);
    b.p().lissage = lisse;
    b.p().antialias().init_couleurs_lissage();
    auto valeurs = [&](int i) {
        const double onde = 0.5 + 0.5 * std::sin(i * 0.2);
        b.fp.counters.setValue(pdh.compteur_cpu.chemin, 100 * onde);
        for (int r = 0; r < 2; ++r) {
            b.fp.counters.setValue(pdh.compteurs_ecriture[r].chemin, 4e7 * onde * (i % 7 == 0 ? 3 : 1));
            b.fp.counters.setValue(pdh.compteurs_lecture[r].chemin, 9e3 * (1 - onde));
        }
        for (int k = 2; k <= 5; ++k) b.fp.counters.setValue(pdh.compteurs_rezo[k].chemin, 1e5 * onde * k + (i % 5) * 3e4);
    };
    for (int i = 0; i < 220; ++i) {
        valeurs(i);
        pdh.lire_compteurs();
    }
    QElapsedTimer chrono;
    chrono.start();
    for (int i = 0; i < 100; ++i) {
        valeurs(i);
        pdh.lire_compteurs();
    }
    std::printf("%s: %.3f ms per pass\n", fichier, chrono.nsecsElapsed() / 1e6 / 100);
    QImage sortie(220, 6 * 24 + 20, QImage::Format_RGB32);
    sortie.fill(Qt::darkGray);
    QPainter p(&sortie);
    int y = 2;
    for (int k = 0; k < f.picCompteur.Count(); ++k, y += 24) p.drawImage(2, y, f.picCompteur(k).image());
    p.drawImage(2, y, f.picDebitDiskE(0).image());
    p.drawImage(50, y, f.picDebitDiskL(0).image());
    p.drawPixmap(100, y, dessins::icone_processeur().scaled(32, 32));
    p.drawPixmap(140, y, dessins::icone_memoire().scaled(32, 32));
    p.drawPixmap(180, y, dessins::icone_reseau().scaled(32, 32));
    p.end();
    sortie.scaled(sortie.width() * 3, sortie.height() * 3).save(QString::fromLatin1(fichier));
    EXPECT_TRUE(b.fp.dialogs.boites.empty()) << (b.fp.dialogs.boites.empty() ? "" : b.fp.dialogs.boites[0].texte.toStdString());
}

TEST(Apercu, Png) {
    apercu(false, "/tmp/meters_plain.png");
    apercu(true, "/tmp/meters_smooth.png");
}
