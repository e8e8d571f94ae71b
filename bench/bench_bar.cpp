// Cost of one whole tick of the bar as it runs: the program started the
// ordinary way on the fake platform (two fixed drives, two interfaces), its
// bar window shown on the offscreen platform, then per iteration one tick of
// the sampling timer (drive facts, counters, every meter, the volume widget)
// followed by the window's repaint into its offscreen backing store, which
// is where the drawing of the changed controls lands. Plain and smoothed, and
// plain on a machine at rest.
#include "app/frmMain.h"
#include "app/mdlMain.h"
#include "app/programme.h"
#include "fakes/fake_platform.h"
#include "meters/mdlPdh.h"
#include "meters/modAntiAlias.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <cmath>

namespace {

struct BancBarre {
    tk::TestBench b;
    tk::mdlPdh& pdh = b.p().pdh();

    explicit BancBarre(bool lisse) {
        b.fp.counters.setAcceptAll(true);
        b.fp.system.setMemory(16ull << 30, 6ull << 30);
        for (QChar lettre : {QChar(u'C'), QChar(u'D')}) {
            tk::FakeDrive d;
            d.letter = lettre;
            d.label = QStringLiteral("Disque");
            d.total = 500ull << 30;
            d.freeCaller = d.freeTotal = 120ull << 30;
            b.fp.system.setDrive(d);
        }
        b.fp.system.addInterface(QStringLiteral("eth0"));
        b.fp.system.addInterface(QStringLiteral("wlan0"));
        tk::mdlMain m(b.p());
        m.Main();
        tk::frmMain& f = b.p().frmMain();
        // The benchmark runs the ticks itself.
        for (tk::Timer* t : {f.TimerGetValues.get(), f.TimerCarteReseau.get(), f.timerMail.get()}) t->setEnabled(false);
        b.p().lissage = lisse;
        b.p().antialias().init_couleurs_lissage();
        peindre();
    }

    // New values every pass so that the curves and captions move; or, for a
    // machine at rest, a processor reading a few low figures in turn and
    // drives and interfaces at a steady rate.
    void valeurs(int i, bool calme) {
        if (calme) {
            static constexpr double figures[] = {1, 0, 2, 1, 0, 0, 1, 3};
            b.fp.counters.setValue(pdh.compteur_cpu.chemin, figures[i % 8]);
            for (int r = 0; r < 2; ++r) {
                b.fp.counters.setValue(pdh.compteurs_ecriture[r].chemin, 0);
                b.fp.counters.setValue(pdh.compteurs_lecture[r].chemin, 0);
            }
            for (int k = 2; k <= 5; ++k) b.fp.counters.setValue(pdh.compteurs_rezo[k].chemin, 300 * k);
            return;
        }
        const double onde = 0.5 + 0.5 * std::sin(i * 0.3);
        b.fp.counters.setValue(pdh.compteur_cpu.chemin, 100 * onde);
        for (int r = 0; r < 2; ++r) {
            b.fp.counters.setValue(pdh.compteurs_ecriture[r].chemin, 4e7 * onde);
            b.fp.counters.setValue(pdh.compteurs_lecture[r].chemin, 9e7 * (1 - onde));
        }
        for (int k = 2; k <= 5; ++k) b.fp.counters.setValue(pdh.compteurs_rezo[k].chemin, 1e6 * onde * k);
    }

    // The window's pending repaint, into the offscreen backing store.
    static void peindre() { QCoreApplication::sendPostedEvents(); }

    void tick() { b.p().frmMain().TimerGetValues->declencher(); }
};

void barre(benchmark::State& state, bool lisse, bool calme = false) {
    BancBarre banc(lisse);
    tk::frmMain& f = banc.b.p().frmMain();
    if (f.picDebitDiskE.UBound() != 1 || f.picCompteur.Count() != 6) {
        state.SkipWithError("the bar did not show two drive rows and two interfaces");
        return;
    }
    for (int i = 0; i < 220; ++i) {
        banc.valeurs(i, calme);
        banc.tick();
        banc.peindre();
    }
    int i = 0;
    for (auto _ : state) {
        banc.valeurs(++i, calme);
        banc.tick();
        banc.peindre();
    }
    if (!banc.b.fp.dialogs.boxes.empty()) state.SkipWithError("the tick reported an error");
}

void BM_BarTickPlain(benchmark::State& state) { barre(state, false); }
void BM_BarTickSmoothed(benchmark::State& state) { barre(state, true); }
void BM_BarTickPlainAtRest(benchmark::State& state) { barre(state, false, true); }

BENCHMARK(BM_BarTickPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BarTickSmoothed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BarTickPlainAtRest)->Unit(benchmark::kMicrosecond);

} // namespace
