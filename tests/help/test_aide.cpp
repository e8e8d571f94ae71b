// The help balloons: texts and icons per subject and bar mode, the help
// switch and its two exceptions, the figures of drives, memory and network
// interfaces, the placement and the timer that closes the balloon.
#include "app/frmMain.h"
#include "app/mdlFonctions.h"
#include "drives/mdlDisk.h"
#include "fakes/fake_platform.h"
#include "help/frmPostit.h"
#include "help/mdlAide.h"
#include "network/mdlRezo.h"

#include <QLabel>
#include <QLocale>
#include <gtest/gtest.h>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tk {
namespace {

constexpr uint64_t GO = 1024ull * 1024 * 1024;

struct Aide : ::testing::Test {
    TestBench b;
    frmMain* f = nullptr;

    void SetUp() override {
        f = &b.p().frmMain();
        b.p().aide_active = true;
    }
    void montrer(int sujet, int numero) {
        b.p().aide().afficher_aide(static_cast<int16_t>(sujet), static_cast<int16_t>(numero));
    }
    frmPostit* bulle() { return b.p().frmPostit_si_charge(); }
    QString texte() { return bulle() ? bulle()->lbl1->Caption() : QStringLiteral("<no balloon>"); }
    void fermer() { f->timerAide->declencher(); }
    static bool meme_image(const QPixmap& a, const QPixmap& b) { return !a.isNull() && a.toImage() == b.toImage(); }
};

TEST_F(Aide, BoutonsDeTailleSelonLeMode) {
    const char* attendus[3][2] = {
        {"Bouton inactif. La barre est en mode \"caché\".", "Passer la barre en position small."},
        {"Passer en mode caché.", "Déployer la barre."},
        {"Passer en mode small.", "Bouton inactif. La barre est étendue au maximum."},
    };
    for (int mode = 0; mode <= 2; ++mode) {
        b.p().modeBarre = static_cast<int16_t>(mode);
        for (int sujet = 1; sujet <= 2; ++sujet) {
            montrer(sujet, 0);
            ASSERT_NE(bulle(), nullptr);
            EXPECT_EQ(texte(), QString::fromUtf8(attendus[mode][sujet - 1])) << mode << " " << sujet;
            EXPECT_TRUE(meme_image(bulle()->Image1->Picture(), f->picTailleBarre(sujet - 1).Picture()));
            EXPECT_EQ(bulle()->Height(), frmPostit::HAUTEUR);
            fermer();
        }
    }
}

TEST_F(Aide, PlacementAffichageEtFermetureParLeTimer) {
    f->Move(0, 0, 19200, 420);
    montrer(6, 0);
    frmPostit* p = bulle();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Top(), 420);
    EXPECT_EQ(p->Left(), static_cast<float>(Ecran::Width() / 3));
    EXPECT_EQ(p->Width(), frmPostit::LARGEUR);
    EXPECT_TRUE(p->fenetre()->isVisible());
    EXPECT_EQ(p->BackColor(), 0x0080FFFFu);
    EXPECT_EQ(texte(), QStringLiteral("Cliquez sur l'icone pour explorer le disque.\r\n"));
    EXPECT_TRUE(f->timerAide->Enabled());
    EXPECT_EQ(f->timerAide->Interval(), 3000);

    montrer(5, 0); // a taller balloon
    EXPECT_EQ(p->Height(), 1500);
    EXPECT_EQ(p->lbl1->Height(), 1500);
    EXPECT_EQ(p->Shape1->Height(), 1500);

    fermer();
    EXPECT_EQ(bulle(), nullptr);
    EXPECT_FALSE(f->timerAide->Enabled());
    // The next one starts from the design size again.
    montrer(1, 0);
    EXPECT_EQ(bulle()->Height(), frmPostit::HAUTEUR);
}

TEST_F(Aide, SwitchedOffExceptForTheMailboxAndMemory) {
    b.p().aide_active = false;
    for (auto [sujet, numero] : {std::pair{1, 0}, {2, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {8, 2}}) {
        montrer(sujet, numero);
        EXPECT_EQ(bulle(), nullptr) << sujet << "/" << numero;
    }
    EXPECT_FALSE(f->timerAide->Enabled());
    // Through the mouse, as the user meets them.
    f->picMail(0).MouseMove(0, 0, 0, 10, 10);
    EXPECT_EQ(texte(), QStringLiteral("Vous n'avez pas de mail en attente dans votre boite de reception."));
    EXPECT_TRUE(meme_image(bulle()->Image1->Picture(), f->picMail(0).Picture()));
    fermer();
    f->picCompteur(1).MouseMove(1, 0, 0, 10, 10);
    EXPECT_TRUE(texte().startsWith(QStringLiteral("Informations sur la memoire:\r\n")));
    EXPECT_TRUE(f->timerAide->Enabled());
}

TEST_F(Aide, MailboxWithMailAndSpeaker) {
    b.p().reponse_boite_mail = QStringLiteral("+OK Logged in.\r\n");
    f->picMail(1).setVisible(true);
    f->picMail(1).MouseMove(1, 0, 0, 0, 0);
    EXPECT_EQ(texte(), QStringLiteral("Contenu de votre boite de reception:\r\n+OK Logged in.\r\n"));
    EXPECT_TRUE(meme_image(bulle()->Image1->Picture(), f->picMail(1).Picture()));
    EXPECT_EQ(bulle()->Height(), 600);
    // What the server sent is shown as it is, not as markup.
    b.p().reponse_boite_mail = QStringLiteral("+OK <b>2</b> <img src=\"x\">\r\n");
    montrer(3, 0);
    const auto* vue = static_cast<const QLabel*>(bulle()->lbl1->widget());
    EXPECT_EQ(vue->text(), QStringLiteral("Contenu de votre boite de reception:\r\n+OK <b>2</b> <img src=\"x\">\r\n"));
    EXPECT_EQ(vue->textFormat(), Qt::PlainText);

    f->picSon(0).setVisible(true);
    montrer(4, 0);
    EXPECT_EQ(texte(), QStringLiteral("Cliquez pour activer le son."));
    EXPECT_EQ(bulle()->Height(), 400);
    f->picSon(0).setVisible(false);
    montrer(4, 0);
    EXPECT_EQ(texte(), QStringLiteral("Cliquez pour desactiver le son."));

    montrer(8, 0);
    EXPECT_EQ(texte(), QStringLiteral("Informations sur L'occupation du processeur."));
    EXPECT_TRUE(meme_image(bulle()->Image1->Picture(), f->imageCPU->Picture()));
    EXPECT_EQ(bulle()->Height(), 600);
}

TEST_F(Aide, DebitDuDisqueCEtiqueteSystem) {
    FakeDrive c;
    c.letter = QLatin1Char('C');
    c.type = DRIVE_FIXED;
    c.label = QStringLiteral("SYSTEM");
    c.total = 100 * GO;
    c.freeCaller = c.freeTotal = 40 * GO;
    b.fp.system.setDrive(c);
    bool forcer = true;
    b.p().disk().recuperation_info_Disk(forcer);
    ASSERT_TRUE(f->lblNomDisc(0).Caption().startsWith(QLatin1Char('C')));

    mdlFonctions& fn = b.p().fonctions();
    const QString details =
        QStringLiteral("Emplacement du disque: C\r\nNom du volume: SYSTEM\r\nType de disque: Fixe\r\n") +
        QStringLiteral("Taille totale du disque: ") + fn.Affichage(100.0 * GO, false) +
        QStringLiteral("\r\nEspace occupé: ") + fn.Affichage(60.0 * GO, false) + QStringLiteral("\r\nEspace libre: ") +
        fn.Affichage(40.0 * GO, false) + QStringLiteral("\r\n");
    f->picDebitDiskL(0).MouseMove(0, 0, 0, 0, 0);
    EXPECT_EQ(texte(), QStringLiteral("Débit de lecture du disque.\r\n") + details);
    EXPECT_TRUE(meme_image(bulle()->Image1->Picture(), f->picTypeDisc(0).Picture()));
    EXPECT_EQ(bulle()->Height(), 1500);
    f->picDebitDiskE(0).MouseMove(0, 0, 0, 0, 0);
    EXPECT_EQ(texte(), QStringLiteral("Débit d'écriture du disque.\r\n") + details);

    // A row whose letter is in no entry shows the title line only.
    f->lblNomDisc(0).setCaption(QStringLiteral("Q:"));
    montrer(5, 0);
    EXPECT_EQ(texte(), QStringLiteral("Débit de lecture du disque.\r\n"));
}

TEST_F(Aide, MemoireDeTroisGo) {
    b.fp.system.setMemory(3 * GO, 1 * GO + 512ull * 1024 * 1024);
    b.fp.system.memory.dwTotalVirtual = 4 * GO;
    b.fp.system.memory.dwAvailVirtual = 2 * GO;
    b.fp.system.globalMemoryStatus(b.p().etat_memoire);
    montrer(8, 1);
    const QString sep = QLocale().decimalPoint();
    mdlFonctions& fn = b.p().fonctions();
    EXPECT_EQ(texte(), QStringLiteral("Informations sur la memoire:\r\n") +
                           QStringLiteral("Memoire physique totale: 3072") + sep + QStringLiteral(" Mo\r\n") +
                           QStringLiteral("Memoire physique libre: 1536") + sep + QStringLiteral(" Mo\r\n") +
                           QStringLiteral("Memoire virtuelle totale: ") + fn.Affichage(4.0 * GO, false) +
                           QStringLiteral("\r\n") + QStringLiteral("Memoire virtuelle disponible: ") +
                           fn.Affichage(2.0 * GO, false) + QStringLiteral("\r\n"));
    EXPECT_TRUE(meme_image(bulle()->Image1->Picture(), f->imageRAM->Picture()));
    EXPECT_EQ(bulle()->Height(), 1200);

    // Beyond 4 GB nothing wraps round.
    b.fp.system.setMemory(16 * GO, 0);
    b.fp.system.globalMemoryStatus(b.p().etat_memoire);
    montrer(8, 1);
    EXPECT_TRUE(texte().contains(QStringLiteral("Memoire physique totale: 16384") + sep + QStringLiteral(" Mo\r\n")));
}

TEST_F(Aide, TheMetersInterfaceIsTheKthAcceptedOne) {
    FakeSystem& s = b.fp.system;
    s.addInterface(QStringLiteral("lo"), 24);                // entry 1: not shown
    s.addInterface(QStringLiteral("eth0"));                  // entry 2: first shown
    s.addInterface(QStringLiteral("eth9"), 6, 2);            // entry 3: down, not shown
    s.addInterface(QStringLiteral("eth1"), 6, 5, 100000000); // entry 4: second shown
    b.p().rezo().inventaire_cartes_reseau();
    mdlFonctions& fn = b.p().fonctions();

    montrer(8, 4);
    const CarteReseau& c = b.p().rezo().cartes_reseau[4];
    EXPECT_EQ(texte(), QStringLiteral("Informations carte reseau:\r\nadmin_status: ") + c.etat_admin +
                           QStringLiteral("\r\nIP: \r\nmaxi: ") + fn.Affichage(100000000, false) +
                           QStringLiteral("\r\nnom_carte: eth1\r\noper_status: ") + c.etat_oper +
                           QStringLiteral("\r\ntype: ") + c.type_carte);
    EXPECT_TRUE(meme_image(bulle()->Image1->Picture(), f->imageNET->Picture()));
    EXPECT_EQ(bulle()->Height(), 1900);
    montrer(8, 3);
    EXPECT_TRUE(texte().contains(QStringLiteral("nom_carte: eth0\r\n")));
    EXPECT_TRUE(texte().contains(fn.Affichage(1000000000, false)));
    montrer(8, 6); // no third interface: the title alone
    EXPECT_EQ(texte(), QStringLiteral("Informations carte reseau:\r\n"));
    EXPECT_EQ(b.fp.dialogs.boxes.size(), 0u);
}

} // namespace
} // namespace tk
