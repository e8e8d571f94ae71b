// The interface table, the filter of the interfaces shown and the network timer.
#include "app/frmMain.h"
#include "fakes/fake_platform.h"
#include "network/mdlRezo.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace tk {
namespace {

int acceptees(mdlRezo& r) {
    int n = 0;
    for (int16_t i = 1; i <= 30; ++i) n += r.carte_affichable(i) ? 1 : 0;
    return n;
}

TEST(Inventaire, lit_et_nettoie_les_lignes) {
    TestBench b;
    b.fp.system.addInterface(QStringLiteral("A(B) C/D #2"));
    b.fp.system.addInterface(QStringLiteral("wlan0") + QChar(u'\0') + QStringLiteral("reste"), 71, 5, 10'000'000'000LL);
    b.fp.system.addInterface(QStringLiteral("x"), 131, 7, 0, 9);
    mdlRezo& r = b.p().rezo();
    r.inventaire_cartes_reseau();

    EXPECT_EQ(r.cartes_reseau[1].nom, QStringLiteral("A[B] C_D _2"));
    EXPECT_EQ(r.cartes_reseau[1].etat_admin, QStringLiteral("Enabled"));
    EXPECT_EQ(r.cartes_reseau[2].nom, QStringLiteral("wlan0"));
    EXPECT_EQ(r.cartes_reseau[2].type_carte, QStringLiteral("Ethernet"));
    // A 10 Gbit/s link keeps its sign and its digits.
    QString chiffres = r.cartes_reseau[2].vitesse;
    EXPECT_FALSE(chiffres.startsWith(u'-'));
    EXPECT_EQ(chiffres.remove(QRegularExpression(QStringLiteral("[^0-9]"))), QStringLiteral("10000000000"));
    // Numbers outside the tables never read as a shown interface.
    EXPECT_NE(r.cartes_reseau[3].type_carte, QStringLiteral("Ethernet"));
    EXPECT_NE(r.cartes_reseau[3].etat_oper, QStringLiteral("Operational"));
}

TEST(Filtre, interfaces_montrees_et_refusees) {
    TestBench b;
    FakeSystem& s = b.fp.system;
    s.addInterface(QStringLiteral("eth0"));
    s.addInterface(QStringLiteral("wlan0"), 71);
    s.addInterface(QStringLiteral("WAN Miniport [IP]")); // contains the word, does not start with it
    for (const char* nom : {"miniPORT réseau", "Carte - Packet Scheduler Miniport", "x pAcKeT sChEdUlEr"})
        s.addInterface(QString::fromUtf8(nom));
    s.addInterface(QStringLiteral("eth1"), 6, 4); // "Connected"
    s.addInterface(QStringLiteral("eth2"), 6, 2);
    s.addInterface(QStringLiteral("lo"), 24);
    s.addInterface(QStringLiteral("docker0"), 1);
    mdlRezo& r = b.p().rezo();
    r.inventaire_cartes_reseau();

    for (int16_t i = 1; i <= 3; ++i) EXPECT_TRUE(r.carte_affichable(i)) << i;
    for (int16_t i = 4; i <= 10; ++i) EXPECT_FALSE(r.carte_affichable(i)) << i;
    EXPECT_FALSE(r.carte_affichable(0));
    EXPECT_THROW(r.carte_affichable(31), ErreurVB);
}

TEST(Inventaire, disparues_effacees_et_surplus_ecarte) {
    TestBench b;
    FakeSystem& s = b.fp.system;
    for (int k = 1; k <= 35; ++k) s.addInterface(QStringLiteral("eth%1").arg(k));
    mdlRezo& r = b.p().rezo();
    r.inventaire_cartes_reseau();
    EXPECT_EQ(acceptees(r), 30);
    EXPECT_TRUE(b.fp.dialogs.boxes.empty()); // left out silently

    s.interfaces.resize(1);
    r.inventaire_cartes_reseau();
    EXPECT_EQ(acceptees(r), 1);

    // A table that cannot be read leaves the last inventory.
    s.ifTableFails = true;
    r.inventaire_cartes_reseau();
    EXPECT_EQ(acceptees(r), 1);
}

TEST(Minuterie, reconstruit_les_compteurs_quand_le_nombre_change) {
    TestBench b;
    b.fp.counters.setAcceptAll(true);
    b.fp.system.addInterface(QStringLiteral("eth0"));
    frmMain& f = b.p().frmMain();
    mdlRezo& r = b.p().rezo();

    const int avant = b.fp.counters.queriesOpened();
    for (int k = 0; k < 3; ++k) f.TimerCarteReseau->declencher();
    EXPECT_EQ(r.nb_cartes_precedent, 1);
    EXPECT_EQ(b.fp.counters.queriesOpened(), avant + 1);

    // Another name, same count: the meters stay.
    b.fp.system.interfaces[0].bDescr = QStringLiteral("eth9");
    f.TimerCarteReseau->declencher();
    EXPECT_EQ(b.fp.counters.queriesOpened(), avant + 1);

    b.fp.system.addInterface(QStringLiteral("wlan0"), 71);
    f.TimerCarteReseau->declencher();
    EXPECT_EQ(r.nb_cartes_precedent, 2);
    EXPECT_EQ(b.fp.counters.queriesOpened(), avant + 2);
}

TEST(Minuterie, barre_descendue_remise_en_place) {
    TestBench b;
    frmMain& f = b.p().frmMain();
    b.fp.shell.moveWindows = false;
    b.p().donnees_barre.rc.top = 20;

    f.setTop(20 * 15 + 100);
    b.fp.shell.clearCalls();
    f.TimerCarteReseau->declencher();
    EXPECT_TRUE(b.fp.shell.barCalls.empty());

    f.setTop(20 * 15 + 101);
    f.TimerCarteReseau->declencher();
    EXPECT_FALSE(b.fp.shell.barCalls.empty());
}

} // namespace
} // namespace tk
