// Drive inventory against the fake system: the table, the rebuild triggers,
// the shown flags, the counter records and the size facts.
#include "drives/test_disques.h"

#include "meters/mdlPdh.h"
#include "options/frmOption.h"

#include <QLocale>
#include <algorithm>
#include <random>
#include <vector>

using namespace tk;

TEST(Inventaire, AFloppyAndTwoDisksGiveFiveEntriesAndTwoRows) {
    BancDisques t;
    t.lecteur('A', DRIVE_REMOVABLE, {}, 1474560, 1474560);
    t.lecteur('C', DRIVE_FIXED, QStringLiteral("SYSTEM"), 100 * GO, 40 * GO);
    t.lecteur('D', DRIVE_FIXED, {}, 200 * GO, 150 * GO);
    EXPECT_TRUE(t.rafraichir(true));
    const auto& d = t.d().disques;
    EXPECT_EQ(t.d().etat.indice_max, 4);
    EXPECT_EQ(d[0].lettre, "A");
    EXPECT_EQ(d[0].type_disque, ""); // A is never queried, so never shown
    EXPECT_EQ(d[1].espace_occupe, double(60 * GO));
    EXPECT_EQ(d[1].espace_libre, double(40 * GO));
    EXPECT_EQ(d[4].type_disque, TYPE_INEXISTANT);
    for (int i = 0; i <= 4; ++i) EXPECT_TRUE(d[i].afficher) << i; // missing settings count as true
    EXPECT_EQ(t.noms(), (QStringList{"C:SYSTEM", "D:"}));         // no label: letter and ":" only
    EXPECT_EQ(t.erreurs(), 0);
    if (ListView* lv = t.b.p().frmOption().LV.get()) { // every entry is listed, A and the empty ones too
        ASSERT_EQ(lv->Count(), 5);
        EXPECT_EQ(lv->Text(1), "A");
        EXPECT_EQ(lv->SubItem(2, 2), "107374182400");
    }
}

TEST(Inventaire, UsedSpaceRebuildsOnlyWhenItCrossesAStep) {
    BancDisques t;
    auto& c = t.lecteur('C', DRIVE_FIXED, {}, 100 * GO, 100 * GO - 9000100);
    t.rafraichir(true);
    Label& nom = t.f().lblNomDisc(0);
    nom.setCaption(QStringLiteral("marque")); // survives until a rebuild
    auto ecrire = [&c](uint64_t octets) {
        c.freeCaller -= octets;
        c.freeTotal -= octets;
    };
    ecrire(100000); // 100 kB written, same 900000-byte step
    EXPECT_FALSE(t.rafraichir());
    EXPECT_EQ(nom.Caption(), "marque");
    ecrire(800000); // into the next step
    EXPECT_TRUE(t.rafraichir());
    EXPECT_EQ(nom.Caption(), "C:");
    nom.setCaption(QStringLiteral("marque"));
    EXPECT_FALSE(t.rafraichir()); // once only
    EXPECT_EQ(nom.Caption(), "marque");
}

TEST(Inventaire, CdDriveGetsItsRowWhenADiscIsPutIn) {
    BancDisques t;
    t.lecteur('C', DRIVE_FIXED, {}, 100 * GO, 50 * GO);
    auto& cd = t.lecteur('D', DRIVE_CDROM, QStringLiteral("DISC"), 0, 0);
    t.rafraichir(true);
    EXPECT_EQ(t.noms(), QStringList{"C:"});
    cd.total = 650ull << 20;
    EXPECT_TRUE(t.rafraichir());
    EXPECT_EQ(t.noms(), (QStringList{"C:", "D:DISC"}));
    cd.total = 0;
    EXPECT_TRUE(t.rafraichir());
    EXPECT_EQ(t.noms(), QStringList{"C:"});
    cd.total = 700000; // a disc holding less than one step gets its row too
    EXPECT_TRUE(t.rafraichir());
    EXPECT_EQ(t.noms(), (QStringList{"C:", "D:DISC"}));
}

TEST(Inventaire, CounterRecordsTakeBothSpellings) {
    for (bool vista : {false, true}) {
        BancDisques t;
        t.b.p().est_vista = vista;
        t.lecteur('C', DRIVE_FIXED, {}, 100 * GO, 50 * GO);
        t.lecteur('E', DRIVE_CDROM, {}, 600 << 20, 0);
        t.rafraichir(true);
        const mdlPdh& pdh = t.b.p().pdh();
        EXPECT_EQ(pdh.compteurs_ecriture[0].chemin,
                  vista ? QStringLiteral("\\Disque logique(C:)\\Écritures disque, octets/s") : CHEMIN_E_C);
        EXPECT_EQ(pdh.compteurs_lecture[0].chemin, CHEMIN_L_C);
        EXPECT_EQ(pdh.compteurs_lecture[0].libelle, "C:");
        EXPECT_EQ(pdh.compteurs_ecriture[0].surface, &t.f().picDebitDiskE(0));
        EXPECT_EQ(t.f().picDebitDiskL(0).ToolTipText(), CHEMIN_L_C);
        // A CD row gets its counters but leaves the meters' tool-tips alone.
        EXPECT_TRUE(pdh.compteurs_lecture[1].chemin.startsWith(QStringLiteral("\\Disque logique(E:)")));
        EXPECT_NE(t.f().picDebitDiskL(1).ToolTipText(), pdh.compteurs_lecture[1].chemin);
    }
}

TEST(Inventaire, AMissingSettingShowsTheDrive) {
    BancDisques t;
    for (char l : {'C', 'D', 'E'}) t.lecteur(QChar(l), DRIVE_FIXED, {}, 100 * GO, 50 * GO);
    t.reglage(QStringLiteral("disk1"), QStringLiteral("False"));
    t.rafraichir(true); // disk2 missing
    EXPECT_EQ(t.noms(), (QStringList{"C:", "E:"}));
}

// Unticking C: in the options: the row that now reads D: shows D:'s rates at
// once, and the bar loses a row and docks again.
TEST(Inventaire, UntickingADriveRemovesItsRowAndTheRowShowsTheRightRates) {
    BancDisques t;
    t.lecteur('C', DRIVE_FIXED, {}, 100 * GO, 50 * GO);
    t.lecteur('D', DRIVE_FIXED, QStringLiteral("DATA"), 100 * GO, 50 * GO);
    t.lecteur('E', DRIVE_FIXED, {}, 100 * GO, 50 * GO); // its paths are unknown to the system
    FakeCounters& cpt = t.b.fp.counters;
    cpt.setValue(CHEMIN_E_C, 1111);
    cpt.setValue(CHEMIN_E_D, 2221);
    cpt.setValue(CHEMIN_L_D, 2222);
    t.rafraichir(true);
    mdlPdh& pdh = t.b.p().pdh();
    pdh.init_pdh(); // start-up opens the query after the inventory
    EXPECT_EQ(t.f().Height(), 840);
    t.b.fp.shell.clearCalls();

    t.d().disques[0].afficher = false; // what the options dialog does
    t.rafraichir(true);
    EXPECT_EQ(t.noms(), (QStringList{"D:DATA", "E:"}));
    EXPECT_EQ(t.f().picDisc.Count(), 2);
    int32_t st = 0;
    EXPECT_EQ(pdh.requete_pdh->value(pdh.compteurs_ecriture[0].hcompteur, st), 2221);
    EXPECT_EQ(pdh.requete_pdh->value(pdh.compteurs_lecture[0].hcompteur, st), 2222);
    EXPECT_EQ(pdh.compteurs_ecriture[1].hcompteur, 0); // refused: reads 0, not D:'s rates
    EXPECT_EQ(t.f().Height(), 570);
    const auto msgs = t.b.fp.shell.messages();
    EXPECT_NE(std::find(msgs.begin(), msgs.end(), ABM_SETPOS), msgs.end());

    // No drive shown: row 0 is hidden, without an error; it comes back with a drive.
    for (int i : {1, 2}) t.d().disques[i].afficher = false;
    t.rafraichir(true);
    EXPECT_EQ(t.f().picDisc.Count(), 1);
    EXPECT_FALSE(t.f().picDisc(0).Visible());
    EXPECT_FALSE(t.f().picTypeDisc(0).Visible());
    EXPECT_EQ(t.erreurs(), 0);
    t.d().disques[0].afficher = true;
    t.rafraichir(true);
    EXPECT_EQ(t.noms(), QStringList{"C:"});
    EXPECT_EQ(pdh.requete_pdh->value(pdh.compteurs_ecriture[0].hcompteur, st), 1111);
}

// Every drive unticked in an earlier session: the first rebuild shows no row,
// and the bar is still sized and docked at the height of its one hidden row.
TEST(Inventaire, NoDriveShownAtStartStillDocksTheBar) {
    BancDisques t;
    t.lecteur('C', DRIVE_FIXED, {}, 100 * GO, 50 * GO);
    t.reglage(QStringLiteral("disk0"), QStringLiteral("False"));
    t.b.p().frmMain();
    t.b.fp.shell.clearCalls();
    t.rafraichir(true);
    EXPECT_TRUE(t.noms().isEmpty());
    const auto msgs = t.b.fp.shell.messages();
    EXPECT_NE(std::find(msgs.begin(), msgs.end(), ABM_SETPOS), msgs.end());
    EXPECT_EQ(t.f().Height(), 300);
    EXPECT_EQ(t.erreurs(), 0);

    t.b.fp.shell.clearCalls(); // later refreshes without a change leave the bar alone
    t.rafraichir(false);
    EXPECT_TRUE(t.b.fp.shell.messages().empty());
}

TEST(Inventaire, SurplusDrivesAreIgnoredWithoutError) {
    BancDisques t;
    for (char c = 'C'; c <= 'Z'; ++c) t.lecteur(QChar(c), DRIVE_FIXED, {}, 10 * GO, 5 * GO);
    t.rafraichir(true);
    EXPECT_EQ(t.d().etat.indice_max, 20);
    EXPECT_EQ(t.f().picDisc.Count(), 19);
    EXPECT_EQ(t.f().lblNomDisc(18).Caption(), "U:");
    EXPECT_EQ(t.erreurs(), 0);
}

TEST(FaitsDisque, SizesAndFailures) {
    BancDisques t;
    mdlDisk& d = t.d();
    auto& c = t.lecteur('C', DRIVE_REMOTE, {}, 5000000000ull, 1234567890ull);
    EXPECT_EQ(nombre_depuis_espace(d.espace_disque(QStringLiteral("C:\\"), 2)), 3765432110.0);
    EXPECT_EQ(d.lire_type_disque(QStringLiteral("C")), TYPE_RESEAU);
    EXPECT_EQ(d.lire_type_disque(QStringLiteral("Q")), TYPE_INEXISTANT);
    c.freeCaller = 0;
    EXPECT_EQ(d.espace_disque(QStringLiteral("C"), 1), "");   // 0 prints as nothing...
    EXPECT_EQ(d.lire_espace_libre(QStringLiteral("C")), "0"); // ...which reads as 0
    c.queryFails = true;
    EXPECT_EQ(d.espace_disque(QStringLiteral("C"), 3), "0");
    t.sys().versionFails = true;
    EXPECT_EQ(d.espace_disque(QStringLiteral("C"), 3), "");

    // Before build 1111: the 32-bit cluster query; an overflowing product gives 0.
    t.sys().versionFails = c.queryFails = false;
    t.sys().build = 950;
    c.total = 1000ull * 4096;
    c.freeCaller = 250ull * 4096;
    EXPECT_EQ(nombre_depuis_espace(d.lire_espace_occupe(QStringLiteral("C"))), 3072000.0);
    c.total = 3000000000ull;
    EXPECT_EQ(d.lire_taille_totale(QStringLiteral("C")), "0");
}

TEST(FaitsDisque, SizeTextsFollowTheUsersDigitGrouping) {
    const QLocale avant;
    for (const char* nom : {"fr_FR", "de_DE", "en_US"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(nom)));
        BancDisques t;
        t.lecteur('C', DRIVE_FIXED, {}, 1234567890123ull, 1000);
        const QString texte = t.d().lire_taille_totale(QStringLiteral("C"));
        EXPECT_GT(texte.size(), 13) << nom; // grouped
        EXPECT_EQ(nombre_depuis_espace(texte), 1234567890123.0) << nom;
    }
    QLocale::setDefault(avant);
}

// The figures the rows use are the numbers the size texts read back as,
// though the texts are made only past 15 digits, where they round.
TEST(FaitsDisque, FiguresAreWhatTheTextsReadBackAs) {
    const QLocale avant;
    std::mt19937_64 alea(16);
    std::vector<double> valeurs = {0,
                                   1,
                                   999,
                                   1000,
                                   4096,
                                   999999999999999.0,
                                   1e15,
                                   1e15 + 2,
                                   1234567890123456.0,
                                   9007199254740993.0,
                                   18446744073709551615.0,
                                   0.5,
                                   -4096};
    for (int i = 0; i < 200; ++i) valeurs.push_back(static_cast<double>(alea() >> (alea() % 64)));
    for (const char* nom : {"fr_FR", "de_DE", "en_US"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(nom)));
        for (double v : valeurs) {
            mdlDisk::Espaces e;
            e.etat = mdlDisk::Espaces::Valeurs;
            e.valeur = {v, v, v};
            e.choisi = {true, false, true};
            const QString texte = mdlDisk::texte_espace(e, 1);
            EXPECT_EQ(mdlDisk::valeur_espace(e, 1), nombre_depuis_espace(texte.isEmpty() ? QStringLiteral("0") : texte))
                << nom << " " << qPrintable(QString::number(v, 'f', 1));
            EXPECT_EQ(mdlDisk::texte_espace(e, 2), "");   // an overflowed figure has no text...
            EXPECT_EQ(mdlDisk::valeur_espace(e, 2), 0.0); // ...and reads as 0
        }
    }
    QLocale::setDefault(avant);
    // 16 digits keep 15: the last one rounds.
    mdlDisk::Espaces e;
    e.etat = mdlDisk::Espaces::Valeurs;
    e.valeur = {1234567890123456.0, 0, 0};
    e.choisi = {true, true, true};
    EXPECT_EQ(mdlDisk::valeur_espace(e, 1), 1234567890123460.0);
    e.etat = mdlDisk::Espaces::Echec;
    EXPECT_EQ(mdlDisk::texte_espace(e, 1), "0");
    EXPECT_EQ(mdlDisk::valeur_espace(e, 1), 0.0);
}
