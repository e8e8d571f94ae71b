// The replacement started as "tarvik_ -reboot" and the clean-up at a normal
// start, on the fake file system.
#include "diag/erreur.h"
#include "fakes/fake_platform.h"
#include "update/frmMaj.h"
#include "update/mdlMaj.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tk {
namespace {

const QString CANT_DELETE = QStringLiteral("Can't delete TARVIK.EXE Please delete manualy and launch again Tarvik");
const QString CANT_COPY =
    QStringLiteral("Can't copy TARVIK_.EXE to TARVIK.EXE Please copy manualy and launch again Tarvik");

QString essai(int n) { return QStringLiteral("Suppression ancienne version (essai N°%1)").arg(n); }

struct MajRemplacement : ::testing::Test {
    TestBench b;
    FakeFiles& f = b.fp.files;
    QStringList textes; // the window's message at each wait
    void SetUp() override {
        f.exeName = QStringLiteral("tarvik_");
        f.commandText = QStringLiteral("-reboot");
        f.files.insert(ancien(), "old program");
        f.files.insert(nouveau(), "new program");
        f.executables << ancien() << nouveau();
        f.duringSleep = [this](int) {
            frmMaj* m = b.p().frmMaj_si_charge();
            textes << (m ? m->txtInfo->Caption() : QStringLiteral("<unloaded>"));
        };
    }
    QString ancien() { return f.inFolder(QStringLiteral("tarvik")); }
    QString nouveau() { return f.inFolder(QStringLiteral("tarvik_")); }
    // Runs the replacement; true when it ended the process.
    bool lancer() {
        try {
            b.p().frmMaj().session_reboot();
        } catch (const ProcessEnd&) {
            return true;
        }
        return false;
    }
    // Files other than the two programs (temporary copies left behind).
    QStringList autres() {
        QStringList r = f.files.keys();
        r.removeAll(ancien());
        r.removeAll(nouveau());
        return r;
    }
};

TEST_F(MajRemplacement, ReplacesTheOldProgramAndStartsIt) {
    ASSERT_TRUE(lancer());
    EXPECT_EQ(f.files.value(ancien()), QByteArray("new program"));
    EXPECT_TRUE(f.executables.contains(ancien()));
    EXPECT_TRUE(f.exists(nouveau())); // the new program removes it at its start
    EXPECT_TRUE(autres().isEmpty()) << autres().join(' ').toStdString();
    ASSERT_EQ(f.launches.size(), 1u);
    EXPECT_EQ(f.launches[0].program, ancien());
    EXPECT_TRUE(f.launches[0].arguments.isEmpty());
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());

    // The wait comes before the test, so attempt 2 is shown before the loop ends.
    EXPECT_EQ(f.sleeps, (std::vector<int>{100, 1500, 1500, 1000, 500, 500, 500}));
    EXPECT_EQ(textes, (QStringList{QStringLiteral("Mise à jour en cours..."), essai(1), essai(2),
                                   QStringLiteral("Supprimé!"), QStringLiteral("Copie nouvelle version..."),
                                   QStringLiteral("Copié!"), QStringLiteral("Redémarrage Tarvik...")}));
    frmMaj& m = b.p().frmMaj();
    EXPECT_TRUE(m.hWnd()->isVisible());
    EXPECT_FALSE(m.btnAction(0).Enabled());
    EXPECT_FALSE(m.btnAction(1).Enabled());
    EXPECT_EQ(m.txtVersion(0).Caption(), mdlMaj::version_courante());
    EXPECT_EQ(m.txtVersion(1).Caption(), mdlMaj::version_courante());
}

TEST_F(MajRemplacement, TheRunningProgramItselfIsNeverDeleted) {
    f.exeName = QStringLiteral("tarvik"); // "tarvik -reboot"
    ASSERT_TRUE(lancer());
    EXPECT_EQ(f.files.value(ancien()), QByteArray("old program"));
    EXPECT_TRUE(f.launches.empty());
    ASSERT_EQ(b.fp.dialogs.boxes.size(), 1u);
    EXPECT_EQ(b.fp.dialogs.boxes[0].text, CANT_DELETE);
    EXPECT_EQ(b.fp.dialogs.boxes[0].style, vbExclamation);
    EXPECT_TRUE(b.fp.dialogs.boxes[0].title.isEmpty());
    ASSERT_EQ(f.sleeps.size(), 10u);
    EXPECT_EQ(textes.back(), essai(9));
    EXPECT_TRUE(autres().isEmpty());
}

TEST_F(MajRemplacement, AFailingStepIsSkippedWithoutAMessage) {
    // Every wait fails: the steps go on and no error box comes up.
    f.duringSleep = [](int) { lever(ERR_DEPASSEMENT); };
    ASSERT_TRUE(lancer());
    EXPECT_EQ(f.files.value(ancien()), QByteArray("new program"));
    EXPECT_EQ(f.launches.size(), 1u);
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());
}

TEST_F(MajRemplacement, AnOldProgramThatCannotBeReplacedStaysWhole) {
    f.unwritable << ancien(); // renaming over it fails, as for a protected file
    ASSERT_TRUE(lancer());
    EXPECT_EQ(f.files.value(ancien()), QByteArray("old program"));
    ASSERT_EQ(b.fp.dialogs.boxes.size(), 1u);
    EXPECT_EQ(b.fp.dialogs.boxes[0].text, CANT_DELETE);
    EXPECT_TRUE(f.launches.empty());
    EXPECT_TRUE(autres().isEmpty()) << autres().join(' ').toStdString();
    EXPECT_EQ(std::count(f.sleeps.begin(), f.sleeps.end(), 1500), 9);
}

TEST_F(MajRemplacement, NoCompleteCopyMeansNothingIsTouched) {
    // The replacement is missing, or its copy cannot be written.
    for (int cas = 0; cas < 2; ++cas) {
        TestBench c;
        FakeFiles& g = c.fp.files;
        g.exeName = QStringLiteral("tarvik_");
        g.files.insert(g.inFolder(QStringLiteral("tarvik")), "old program");
        if (cas == 1) {
            g.files.insert(g.inFolder(QStringLiteral("tarvik_")), "new program");
            g.unwritable << g.inFolder(QStringLiteral(".tarvik_.nouveau"));
        }
        EXPECT_THROW(c.p().frmMaj().session_reboot(), ProcessEnd);
        EXPECT_EQ(g.files.value(g.inFolder(QStringLiteral("tarvik"))), QByteArray("old program")) << cas;
        ASSERT_EQ(c.fp.dialogs.boxes.size(), 1u) << cas;
        EXPECT_EQ(c.fp.dialogs.boxes[0].text, CANT_COPY);
        EXPECT_EQ(c.fp.dialogs.boxes[0].style, vbExclamation);
        EXPECT_TRUE(g.launches.empty());
        EXPECT_EQ(g.files.size(), cas == 0 ? 1 : 2);
    }
}

TEST_F(MajRemplacement, AnAbsentOldProgramIsSimplyCopied) {
    f.files.remove(ancien());
    ASSERT_TRUE(lancer());
    EXPECT_EQ(f.files.value(ancien()), QByteArray("new program"));
    EXPECT_TRUE(f.executables.contains(ancien()));
    ASSERT_EQ(f.launches.size(), 1u);
    EXPECT_EQ(f.launches[0].program, ancien());
    EXPECT_EQ(std::count(textes.begin(), textes.end(), essai(1)), 1);
    EXPECT_FALSE(textes.contains(essai(2)));
    EXPECT_TRUE(autres().isEmpty());
}

// ------------------------------------------------------------------ clean-up

struct MajNettoyage : MajRemplacement {
    void SetUp() override {
        MajRemplacement::SetUp();
        f.exeName = QStringLiteral("tarvik");
        f.commandText.clear();
    }
};

TEST_F(MajNettoyage, NothingLeftOver) {
    f.files.remove(nouveau());
    b.p().frmMaj().session_nettoyage();
    EXPECT_EQ(textes, QStringList{QStringLiteral("Chargement Tarvik en cours...")});
    EXPECT_EQ(f.sleeps, std::vector<int>{500});
    frmMaj& m = b.p().frmMaj();
    EXPECT_EQ(m.txtInfo->Caption(), QStringLiteral("Chargement..."));
    EXPECT_TRUE(m.hWnd()->isVisible());
    EXPECT_FALSE(m.picAppli(0).Visible() || m.picAppli(1).Visible() || m.txtVersion(0).Visible() ||
                 m.txtVersion(1).Visible() || m.picFleche(0).Visible());
    EXPECT_FALSE(m.btnAction(0).Enabled());
    EXPECT_EQ(m.txtVersion(1).Caption(), mdlMaj::version_courante());
    EXPECT_TRUE(f.exists(ancien()));
}

TEST_F(MajNettoyage, RemovesTheReplacementAtTheFirstAttempt) {
    f.files.insert(f.inFolder(QStringLiteral(".tarvik_.nouveau")), "half copy");
    b.p().frmMaj().session_nettoyage();
    EXPECT_FALSE(f.exists(nouveau()));
    EXPECT_TRUE(f.exists(ancien()));
    EXPECT_TRUE(autres().isEmpty());
    EXPECT_EQ(textes, (QStringList{QStringLiteral("Chargement Tarvik en cours..."),
                                   QStringLiteral("Nettoyage des fichiers (essai N°1)")}));
    EXPECT_EQ(f.sleeps, (std::vector<int>{500, 1000}));
    EXPECT_EQ(b.p().frmMaj().txtInfo->Caption(), QStringLiteral("Chargement..."));
}

TEST_F(MajNettoyage, AnUndeletableLeftoverIsLeftQuietly) {
    f.undeletable << nouveau();
    b.p().frmMaj().session_nettoyage();
    EXPECT_TRUE(f.exists(nouveau()));
    EXPECT_EQ(f.sleeps.size(), 10u);
    EXPECT_EQ(textes.back(), QStringLiteral("Nettoyage des fichiers (essai N°9)"));
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());
    EXPECT_EQ(b.p().frmMaj().txtInfo->Caption(), QStringLiteral("Chargement..."));
}

} // namespace
} // namespace tk
