// Cost of one sampling pass of the meters with fake counters: processor,
// memory, two drive rows (write and read) and two interfaces (received and
// sent), network and processor meters 3000 twips wide, in the plain and in
// the smoothed style. Targets on a 2-core virtual machine: plain at most
// 0.3 ms, smoothed at most 0.5 ms.
#include "app/frmMain.h"
#include "app/programme.h"
#include "fakes/fake_platform.h"
#include "meters/mdlPdh.h"
#include "meters/modAntiAlias.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

struct BancTick {
    tk::TestBench b;
    tk::mdlPdh& pdh = b.p().pdh();

    explicit BancTick(bool lisse) {
        b.fp.counters.setAcceptAll(true);
        b.fp.system.setMemory(16ull << 30, 6ull << 30);
        b.fp.system.addInterface(QStringLiteral("eth0"));
        b.fp.system.addInterface(QStringLiteral("wlan0"));
        tk::frmMain& f = b.p().frmMain();
        for (int r = 0; r < 2; ++r) {
            const QString lettre = QString(QChar(u'C' + r));
            pdh.compteurs_ecriture[r].chemin =
                QStringLiteral(u"\\Disque logique(%1:)\\Écritures disque, octets/s").arg(lettre);
            pdh.compteurs_lecture[r].chemin =
                QStringLiteral(u"\\Disque logique(%1:)\\Lectures disque, octets/s").arg(lettre);
        }
        f.picDebitDiskE.Load(1);
        f.picDebitDiskL.Load(1);
        pdh.init_pdh();
        for (int k = 0; k < f.picCompteur.Count(); ++k) f.picCompteur(k).Move(0, 0, 3000, 300);
        b.p().lissage = lisse;
        b.p().antialias().init_couleurs_lissage();
    }

    // New values every pass so that the curves move.
    void valeurs(int i) {
        const double onde = 0.5 + 0.5 * std::sin(i * 0.3);
        b.fp.counters.setValue(pdh.compteur_cpu.chemin, 100 * onde);
        for (int r = 0; r < 2; ++r) {
            b.fp.counters.setValue(pdh.compteurs_ecriture[r].chemin, 4e7 * onde);
            b.fp.counters.setValue(pdh.compteurs_lecture[r].chemin, 9e7 * (1 - onde));
        }
        for (int k = 2; k <= 5; ++k) b.fp.counters.setValue(pdh.compteurs_rezo[k].chemin, 1e6 * onde * k);
    }
};

void tick(benchmark::State& state, bool lisse) {
    BancTick banc(lisse);
    // Fill the histories first, so that every column has a sample.
    for (int i = 0; i < 220; ++i) {
        banc.valeurs(i);
        banc.pdh.lire_compteurs();
    }
    int i = 0;
    for (auto _ : state) {
        banc.valeurs(++i);
        banc.pdh.lire_compteurs();
    }
    if (!banc.b.fp.dialogs.boxes.empty()) state.SkipWithError("the pass reported an error");
}

void BM_TickPlain(benchmark::State& state) { tick(state, false); }
void BM_TickSmoothed(benchmark::State& state) { tick(state, true); }

BENCHMARK(BM_TickPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickSmoothed)->Unit(benchmark::kMicrosecond);

} // namespace
