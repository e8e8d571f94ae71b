// The counter query and meter controls (init_pdh) and the sampling pass.
#include "app/frmMain.h"
#include "app/programme.h"
#include "fakes/fake_platform.h"
#include "meters/mdlPdh.h"
#include "network/mdlRezo.h"
#include "volume/mdlVolume.h"

#include <gtest/gtest.h>

using namespace tk;

namespace {

const QString CPU = QStringLiteral("\\Processeur(_Total)\\% Temps processeur");
const QString CPU_VISTA = QStringLiteral("\\Processeur(_Total)\\Pourcentage de temps processeur");
QString recus(const QString& n) {
    return QStringLiteral("\\Interface réseau(") + n + QStringLiteral(")\\Octets reçus/s");
}
QString envoyes(const QString& n) {
    return QStringLiteral("\\Interface réseau(") + n + QStringLiteral(")\\Octets envoyés/s");
}
const QString ECR_C = QStringLiteral("\\Disque logique(C:)\\Ecritures disque, octets/s");
const QString LEC_C = QStringLiteral("\\Disque logique(C:)\\Lectures disque, octets/s");

struct Banc_cycle {
    TestBench b;
    frmMain& f = b.p().frmMain();
    mdlPdh& pdh = b.p().pdh();
    std::vector<TraceDessin> traces;
    Banc_cycle() {
        b.fp.system.setMemory(2048000ull * 1024, 512000ull * 1024);
        b.fp.counters.setAcceptAll(true);
        pdh.espion = [this](const TraceDessin& t) { traces.push_back(t); };
    }
    int erreurs() const { return static_cast<int>(b.fp.dialogs.boxes.size()); }
};

} // namespace

TEST(Cycle, ProcessorPathFollowsTheSystemName) {
    Banc_cycle c;
    c.pdh.init_pdh();
    EXPECT_EQ(c.pdh.compteur_cpu.chemin, CPU);
    EXPECT_EQ(c.f.picCompteur(0).ToolTipText(), CPU);
    EXPECT_EQ(c.f.lblCompteur(0).Caption(), QStringLiteral("CPU"));
    EXPECT_EQ(c.f.lblCompteur(1).Caption(), QStringLiteral("RAM"));
    EXPECT_FALSE(c.f.picIcone(0).Picture().isNull());
    c.b.p().est_vista = true;
    c.pdh.init_pdh();
    EXPECT_EQ(c.pdh.compteur_cpu.chemin, CPU_VISTA);
    EXPECT_EQ(c.b.fp.counters.queriesOpened(), 2);
}

TEST(Cycle, TwoInterfacesGetFourMetersAndARebuildRemovesThem) {
    Banc_cycle c;
    c.b.fp.system.addInterface(QStringLiteral("enp3s0f1"));
    c.b.fp.system.addInterface(QStringLiteral("eth1"));
    c.pdh.init_pdh();
    ASSERT_EQ(c.f.picCompteur.Count(), 6);
    EXPECT_EQ(c.f.picIcone.Count(), 6);
    EXPECT_EQ(c.f.lblCompteur.Count(), 6);
    EXPECT_EQ(c.pdh.compteurs_rezo[2].chemin, recus(QStringLiteral("enp3s0f1")));
    EXPECT_EQ(c.pdh.compteurs_rezo[3].chemin, envoyes(QStringLiteral("enp3s0f1")));
    EXPECT_EQ(c.pdh.compteurs_rezo[4].chemin, recus(QStringLiteral("eth1")));
    EXPECT_EQ(c.f.lblCompteur(3).Caption(), QStringLiteral("enp3s"));
    EXPECT_EQ(c.f.lblCompteur(4).Caption(), QStringLiteral("eth1"));
    EXPECT_EQ(c.f.picCompteur(5).ToolTipText(), envoyes(QStringLiteral("eth1")));
    EXPECT_EQ(c.pdh.compteurs_rezo[5].surface, &c.f.picCompteur(5));
    // The query holds disks, processor, then each interface's pair, in that order.
    const QStringList attendu{CPU, recus(QStringLiteral("enp3s0f1")), envoyes(QStringLiteral("enp3s0f1")),
                              recus(QStringLiteral("eth1")), envoyes(QStringLiteral("eth1"))};
    EXPECT_EQ(c.b.fp.counters.currentPaths(), attendu);

    c.pdh.echelle_rezo[0] = 777;
    c.b.fp.system.interfaces.pop_back();
    c.pdh.init_pdh();
    EXPECT_EQ(c.f.picCompteur.Count(), 4);
    EXPECT_EQ(c.pdh.echelle_rezo[0], 0); // rebuilt meters start their scale again

    c.b.fp.system.interfaces.clear();
    c.pdh.init_pdh();
    EXPECT_EQ(c.f.picCompteur.Count(), 2);
    EXPECT_EQ(c.erreurs(), 0);
}

TEST(Cycle, RefusedCounterGetsNoHandleOfItsOwnOrAnothers) {
    Banc_cycle c;
    c.b.fp.counters.setAcceptAll(false);
    c.b.fp.counters.setValue(ECR_C, 4096);
    c.b.fp.counters.setValue(CPU, 12);
    c.pdh.compteurs_ecriture[0].chemin = ECR_C;
    c.pdh.compteurs_lecture[0].chemin = LEC_C; // unknown to this system
    c.pdh.compteurs_ecriture[1].chemin = QString();
    c.pdh.compteurs_lecture[1].chemin = ECR_C; // no write path: no counter at all
    c.pdh.init_pdh();
    EXPECT_NE(c.pdh.compteurs_ecriture[0].hcompteur, 0);
    EXPECT_EQ(c.pdh.compteurs_lecture[0].hcompteur, 0);
    EXPECT_EQ(c.pdh.compteurs_lecture[1].hcompteur, 0);
    EXPECT_EQ(c.b.fp.counters.added().count(ECR_C), 1);
    // The read meter reads nothing rather than the write rate.
    c.pdh.lire_compteurs();
    EXPECT_EQ(c.pdh.historique_ecriture[0][21], 4096);
    EXPECT_EQ(c.pdh.historique_lecture[0][21], 0);
}

TEST(Cycle, ProcessorRoundsHalvesToEven) {
    Banc_cycle c;
    c.pdh.init_pdh();
    for (auto [brut, attendu] : {std::pair{49.5, 50}, {50.5, 50}, {51.5, 52}, {0.4, 0}}) {
        c.b.fp.counters.setValue(CPU, brut);
        c.pdh.lire_compteurs();
        EXPECT_EQ(c.pdh.historique_cpu[201], attendu) << brut;
    }
}

TEST(Cycle, MemoryLoadFromSixtyFourBitSizes) {
    Banc_cycle c;
    c.pdh.init_pdh();
    c.pdh.lire_compteurs();
    EXPECT_EQ(c.pdh.historique_ram[201], 75); // 512000 free of 2048000 KiB
    EXPECT_EQ(c.b.p().etat_memoire.dwLength, 32u);

    // 3 GiB, 1 GiB free: 3145728 KiB without any sign correction.
    c.b.fp.system.setMemory(3ull << 30, 1ull << 30);
    c.pdh.lire_compteurs();
    EXPECT_EQ(c.b.p().etat_memoire.dwTotalPhys, 3ull << 30);
    EXPECT_EQ(c.pdh.historique_ram[201], 66); // Int(100 - 33.3)

    // 64 GiB machines read right too.
    c.b.fp.system.setMemory(64ull << 30, 16ull << 30);
    c.pdh.lire_compteurs();
    EXPECT_EQ(c.pdh.historique_ram[201], 75);
    EXPECT_EQ(c.erreurs(), 0);

    // A total of 0 cannot give a load: the meter is skipped and the error
    // names the memory step.
    c.b.fp.system.setMemory(0, 1ull << 20);
    c.traces.clear();
    c.pdh.lire_compteurs();
    EXPECT_EQ(c.pdh.historique_ram[201], 75);
    ASSERT_EQ(c.erreurs(), 1);
    // The marker gives the free memory of that pass in KiB, twice, then
    // plus 4 GiB.
    EXPECT_TRUE(c.b.fp.dialogs.boxes[0].text.contains(QStringLiteral("\r\nRoutine:ram1024    1024  4195328\r\n")))
        << c.b.fp.dialogs.boxes[0].text.toStdString();
    EXPECT_TRUE(c.b.fp.dialogs.boxes[0].text.contains(QStringLiteral("Module:mdlPdh")));
}

TEST(Cycle, OnePassDrawsInOrder) {
    Banc_cycle c;
    c.b.fp.system.addInterface(QStringLiteral("eth0"));
    c.pdh.init_pdh();
    c.f.picDebitDiskE.Load(1);
    c.f.picDebitDiskL.Load(1);
    c.traces.clear();
    c.pdh.lire_compteurs();
    QStringList ordre;
    for (auto& t : c.traces)
        if (t.quoi.startsWith(QStringLiteral("dessiner_compteur")))
            ordre << t.quoi + QStringLiteral(":") + t.surface->nom() + QString::number(t.surface->Index());
    const QStringList attendu{"dessiner_compteur_cpu:picCompteur0",     "dessiner_compteur_ram:picCompteur1",
                              "dessiner_compteur_diskE:picDebitDiskE0", "dessiner_compteur_diskL:picDebitDiskL0",
                              "dessiner_compteur_diskE:picDebitDiskE1", "dessiner_compteur_diskL:picDebitDiskL1",
                              "dessiner_compteur_REZO:picCompteur2",    "dessiner_compteur_REZO:picCompteur3"};
    EXPECT_EQ(ordre, attendu);
    EXPECT_EQ(c.b.fp.counters.collections(), 1);
    EXPECT_EQ(c.erreurs(), 0);
}

TEST(Cycle, MetersBeyondTheRecordsAreLeftOutQuietly) {
    Banc_cycle c;
    for (int i = 0; i < 10; ++i) c.b.fp.system.addInterface(QStringLiteral("eth%1").arg(i));
    c.pdh.init_pdh();
    // Eight interfaces fit the records (meters 2 to 17); the others are not shown.
    EXPECT_EQ(c.f.picCompteur.Count(), 18);
    // Drive rows beyond the records are not sampled, and nothing is reported.
    for (int r = 1; r <= 20; ++r) {
        c.f.picDebitDiskE.Load(r);
        c.f.picDebitDiskL.Load(r);
    }
    c.pdh.lire_compteurs();
    c.pdh.lire_compteurs();
    EXPECT_EQ(c.erreurs(), 0);
    int disques = 0;
    for (auto& t : c.traces) disques += t.quoi == QLatin1String("dessiner_compteur_diskE");
    EXPECT_EQ(disques, 2 * 19);
}

TEST(Cycle, TimerTickSamplesEvenWhileTheVolumeKnobIsDragged) {
    Banc_cycle c;
    c.pdh.init_pdh();
    c.b.fp.counters.setValue(CPU, 42);
    c.b.p().volume().reglage_son_en_cours = true;
    const int reads = c.b.fp.mixer.reads;
    c.f.TimerGetValues->declencher();
    EXPECT_EQ(c.pdh.historique_cpu[201], 42);
    EXPECT_EQ(c.b.fp.mixer.reads, reads);
}
