#include "options/frmOption.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "app/registre.h"
#include "diag/numerique.h"
#include "drives/mdlDisk.h"
#include "meters/modAntiAlias.h"
#include "options/dessins_options.h"
#include "update/mdlMaj.h"

#include <QCursor>
#include <QDate>
#include <QGroupBox>
#include <QLocale>
#include <QSpinBox>
#include <QTreeWidget>
#include <algorithm>
#include <optional>

namespace tk {

namespace {

const QString MODULE = QStringLiteral("frmOption");

const QString TIP_ICONE = QStringLiteral("Tarvik(running)");

} // namespace

// Page geometry (twips): every page sits below the tabs at the same place.
constexpr double PAGE_LARGEUR = 4560, PAGE_HAUTEUR = 3375;

frmOption::frmOption(Programme& p) : Forme(QStringLiteral("frmOption")), prog(p) {
    setCaption(QStringLiteral("Tarvik"));
    largeur_conception_ = 5280;
    hauteur_conception_ = 4800;
}

frmOption::~frmOption() = default;

tk::Menu& frmOption::Menu() {
    Load();
    return *menu_;
}

bool frmOption::dialogue_fixe() const { return true; }

Label& frmOption::etiquette(std::unique_ptr<Label>& place, QWidget* parent, const char* nom, double l, double t,
                            double w, double h, const QString& caption) {
    Label& c = creer(place, parent, nom, l, t, w, h);
    c.setBackStyleTransparent(true);
    c.setCaption(caption);
    return c;
}

void frmOption::creer_controles(QWidget* w) {
    w->setFont(police(Police::MSSansSerif, 8.25));

    creer(TabStrip1, w, "TabStrip1", 240, 180, 4800, 420);
    for (const char* onglet : {"Update", "Options", "Mail", "HDD", "About..."})
        TabStrip1->AddTab(QString::fromLatin1(onglet));
    TabStrip1->Click = [this](int) { TabStrip1_Click(); };

    // The pages: member 0 is the hidden model of the array, pages 1 to 5 are shown by the tabs.
    creer(PictureFond, w, 360, 600, PAGE_LARGEUR, PAGE_HAUTEUR).setVisible(false);
    for (int i = 1; i <= 5; ++i) PictureFond.Load(i);
    creer_page_maj(PictureFond(1).widget());
    creer_page_options(PictureFond(2).widget());
    creer_page_mail(PictureFond(3).widget());
    creer_page_disques(PictureFond(4).widget());
    creer_page_apropos(PictureFond(5).widget());

    creer(btnOK, w, "btnOK", 4080, 4095, 960, 375, QStringLiteral("OK"));
    btnOK->Click = [this](int) { btnOK_Click(); };

    menu_ = std::make_unique<tk::Menu>(QStringLiteral("menuSysTray"));
    posseder([this] { menu_.reset(); });
    menu_->AddItem(QStringLiteral("mnuHideIcon"), QStringLiteral("Task bar icon"), [this] { mnuHideIcon_Click(); });
    menu_->AddItem(QStringLiteral("mnuOptions"), QStringLiteral("Options"), [this] { mnuOptions_Click(); });
    menu_->AddItem(QStringLiteral("mnuQuitter"), QStringLiteral("Exit"), [this] { mnuQuitter_Click(); });
}

void frmOption::creer_page_maj(QWidget* page) {
    creer(btnMaj, page, "btnMaj", 120, 120, 2280, 375, QStringLiteral("Verifier MAJ disponibles"));
    btnMaj->Click = [this](int) { btnMaj_Click(); };
    // Wide enough for the longest status of the update check.
    etiquette(txtInfo, page, "txtInfo", 2520, 180, 1920, 255, QStringLiteral("NOT CONNECTED"));
    etiquette(lblMessage, page, "lblMessage", 120, 720, 4320, 255,
              QStringLiteral("Envoyer un message ou un rapport de bug"));
    creer(txtMessage, page, "txtMessage", 120, 1000, 4320, 1800).setMultiLine(true);
    creer(btnSend, page, "btnSend", 2640, 2905, 1800, 375, QStringLiteral("Envoyer message"));
    btnSend->Click = [this](int) { btnSend_Click(); };
}

void frmOption::creer_page_options(QWidget* page) {
    etiquette(lblProcessus, page, "lblProcessus", 120, 165, 1980, 255, QStringLiteral("Priorité processus:"));
    creer(ComboProcessus, page, "ComboProcessus", 2160, 120, 1500, 315);
    for (const char* t : {"Haut", "Normal", "Bas"}) ComboProcessus->AddItem(QString::fromLatin1(t));
    ComboProcessus->Click = [this](int) { ComboProcessus_Click(); };

    etiquette(lblSkin, page, "lblSkin", 120, 555, 1980, 255, QStringLiteral("Skin:"));
    creer(ComboSkin, page, "ComboSkin", 2160, 510, 2280, 315);
    ComboSkin->Click = [this](int) { ComboSkin_Click(); };

    etiquette(lblDelai, page, "lblDelai", 120, 945, 1980, 255, QStringLiteral("Delai rafraichissement:"));
    creer(txtVerifDelay, page, "txtVerifDelay", 2160, 900, 900, 315);
    creer(UpDownVerif, page, "UpDownVerif", 3060, 900, 270, 315);
    UpDownVerif->setMin(50);
    UpDownVerif->setMax(3000);
    static_cast<QSpinBox*>(UpDownVerif->widget())->setSingleStep(100);
    // Design value: the default period, which the bar's sampling timer starts with.
    UpDownVerif->setValue(750);
    txtVerifDelay->setText(QStringLiteral("750"));
    UpDownVerif->Change = [this] { UpDownVerif_Change(); };

    struct Case {
        std::unique_ptr<CheckBox>& c;
        const char* nom;
        QString caption;
    };
    const Case cases[] = {
        {CheckSmooth, "CheckSmooth", QStringLiteral("Graphiques lissés (utilise + de pross.)")},
        {CheckHelp, "CheckHelp", QStringLiteral("Afficher les info-bulles")},
        {CheckIcone, "CheckIcone", QStringLiteral("Montrer l'icone dans la barre des taches")},
        {checkStart, "checkStart", QStringLiteral("Demarrer Tarvik avec Windows")},
        {checkmajAuto, "checkmajAuto", QStringLiteral("Verifier les mises à jour")},
    };
    double haut = 1380;
    for (const Case& c : cases) {
        creer(c.c, page, c.nom, 120, haut, 4320, 285, c.caption);
        haut += 330;
    }
    CheckSmooth->Click = [this](int) { CheckSmooth_Click(); };
    CheckHelp->Click = [this](int) { CheckHelp_Click(); };
    CheckIcone->Click = [this](int) { CheckIcone_Click(); };
    checkStart->Click = [this](int) { checkStart_Click(); };
}

void frmOption::creer_page_mail(QWidget* page) {
    etiquette(lblPop, page, "lblPop", 120, 165, 1320, 255, QStringLiteral("POP 3:"));
    etiquette(lblUser, page, "lblUser", 120, 555, 1320, 255, QStringLiteral("Username:"));
    etiquette(lblPass, page, "lblPass", 120, 945, 1320, 255, QStringLiteral("Password:"));
    etiquette(lblDelaiMail, page, "lblDelaiMail", 120, 1335, 1320, 255, QStringLiteral("Delai verif.:"));

    creer(txtMail, page, 1500, 120, 2880, 315);
    for (int k = 1; k <= 3; ++k) txtMail.Load(k);
    for (int k = 0; k <= 3; ++k) {
        txtMail(k).Move(1500, 120 + 390 * k, k == 3 ? 900 : 2880, 315);
        txtMail(k).setVisible(true);
    }
    txtMail(2).setPasswordChar(true);

    creer(UpDown1, page, "UpDown1", 2400, 1290, 270, 315);
    UpDown1->setMin(1);
    UpDown1->setMax(10);
    // Design value: the default delay.
    UpDown1->setValue(4);
    txtMail(3).setText(QStringLiteral("4"));
    UpDown1->Change = [this] { UpDown1_Change(); };

    // The frame lies under the two controls it holds.
    auto* cadre = new QGroupBox(QStringLiteral("Alarme "), page);
    cadre->setGeometry(vers_pixels(120), vers_pixels(1800), vers_pixels(4320), vers_pixels(975));
    cadre->show();
    fraAlarme = cadre;
    posseder([this] { delete fraAlarme.data(); });
    creer(ComboAlarme, page, "ComboAlarme", 300, 2220, 3300, 315);
    ComboAlarme->Click = [this](int) { ComboAlarme_Click(); };
    creer(btnPlaySound, page, "btnPlaySound", 3720, 2205, 540, 345, QStringLiteral(">"));
    btnPlaySound->Click = [this](int) { btnPlaySound_Click(); };
}

void frmOption::creer_page_disques(QWidget* page) {
    etiquette(lblDisques, page, "lblDisques", 120, 120, 4320, 255,
              QStringLiteral("Seuls le diques coches sont pris en compte:"));
    creer(LV, page, "LV", 120, 420, 4320, 2835);
    LV->setColumns({QStringLiteral("Letter"), QStringLiteral("Type"), QStringLiteral("Size"), QStringLiteral("Name")});
    LV->ItemCheck = [this](int index) { LV_ItemCheck(index); };
    auto* arbre = static_cast<QTreeWidget*>(LV->widget());
    const int largeurs[] = {45, 85, 95};
    for (int c = 0; c < 3; ++c) arbre->setColumnWidth(c, largeurs[c]);
}

void frmOption::creer_page_apropos(QWidget* page) {
    etiquette(lblTitre, page, "lblTitre", 120, 120, 4320, 480, QStringLiteral("TARVIK"));
    lblTitre->setFont(police(Police::MSSansSerif, 16, true));
    lblTitre->setAlignment(Label::vbCenter);

    creer(imageApropos, page, "imageApropos", 240, 780, 960, 960).setPicture(dessins::image_apropos(64));

    etiquette(txtVersion, page, "txtVersion", 1440, 780, 3000, 255, QString());
    etiquette(lblNotice, page, "lblNotice", 1440, 1095, 3000, 1680,
              QStringLiteral("Tarvik affiche en haut de l'écran l'activité du processeur, de la "
                             "mémoire, des disques et du réseau, le volume et le courrier. "
                             "Logiciel gratuit, fourni tel quel, sans aucune garantie."));
    lblNotice->setWordWrap(true);

    etiquette(Label2, page, "Label2", 120, 2925, 4320, 255, QString());
    Label2->setAlignment(Label::vbCenter);
    Label2->setForeColor(RGB(0, 0, 200));
    QFont lien = Label2->Font();
    lien.setUnderline(true);
    Label2->setFont(lien);
    Label2->setMousePointer(QCursor(Qt::PointingHandCursor));
    Label2->Click = [this](int) { Label2_Click(); };
}

QString frmOption::adresse_page_web() { return prog.adresse_serveur() + QStringLiteral("/tarvik/index_2.html"); }

void frmOption::Form_Load() {
    Piege t(prog.rapporteur(), QStringLiteral("Form_Load"), MODULE);

    // 1. Pages in place, hidden; then the first one shown.
    for (int i = 1; i <= 5; ++i) {
        t([&] { PictureFond(i).setTop(600); });
        t([&] { PictureFond(i).setLeft(360); });
        t([&] { PictureFond(i).setVisible(false); });
    }
    t([&] { PictureFond(1).setVisible(true); });

    // 2. Size, and the middle of the screen.
    t([&] { setWidth(5280); });
    t([&] { setHeight(4800); });
    t([&] { setLeft(std::max(0.0, (Ecran::Width() - Width()) / 2)); });
    t([&] { setTop(std::max(0.0, (Ecran::Height() - Height()) / 2)); });

    // 3. Version.
    t([&] {
        const QString version = QStringLiteral("V%1.%2.%3 beta")
                                    .arg(Programme::version_major())
                                    .arg(Programme::version_minor())
                                    .arg(Programme::version_revision());
        txtVersion->setCaption(version);
        setCaption(QStringLiteral("Tarvik ") + version);
    });
    t([&] { Label2->setCaption(prog.adresse_serveur()); });

    // 4. Lists.
    t([&] {
        for (const char* s : {"No sound", "Beep", "Select file to play"}) ComboAlarme->AddItem(QString::fromLatin1(s));
    });
    t([&] {
        for (const char* s : {"Windows skin", "Tarvik skin", "Mode transparent", "Select a new skin"})
            ComboSkin->AddItem(QString::fromLatin1(s));
    });

    // 5. Settings, in this order; spinners and check boxes run their handlers.
    auto lire = [this](const char* cle, const char* defaut) {
        return prog.GetSetting(QString::fromLatin1(cle), QString::fromLatin1(defaut));
    };
    t([&] { txtMail(0).setText(lire("mail0", "")); });
    t([&] { txtMail(1).setText(lire("mail1", "")); });
    t([&] { txtMail(2).setText(lire("mail2", "")); });
    t([&] { UpDown1->setValue(CLng(lire("mail3", "4"))); });
    t([&] { ComboAlarme->setText(lire("mail4", "Beep")); });
    t([&] { ComboProcessus->setText(lire("Processus", "Normal")); });
    t([&] { checkmajAuto->setValue(CInt(lire("majAuto", "1"))); });
    t([&] { checkStart->setValue(CInt(lire("autoStart", "0"))); });
    t([&] { CheckIcone->setValue(CInt(lire("ShowIcone", "1"))); });
    t([&] { CheckHelp->setValue(CInt(lire("Help", "1"))); });
    t([&] { CheckSmooth->setValue(CInt(lire("Smooth", "0"))); });
    t([&] { ComboSkin->setText(lire("skin", "Tarvik skin")); });
    t([&] { UpDownVerif->setValue(CLng(lire("DelayVerif", "750"))); });

    // 6. Tray icon.
    t([&] {
        if (CheckIcone->Value() == 1) poser_icone(hWnd(), QStringLiteral("AAA"), true);
    });

    // 7. Date of the first use, in the system's short form.
    std::optional<Programme::EcrituresGroupees> groupe;
    groupe.emplace(prog);
    t([&] {
        if (lire("firstUse", "").isEmpty())
            prog.SaveSetting(QStringLiteral("firstUse"),
                             QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    });

    // 8. One more use.
    t([&] {
        const int32_t n = CLng(static_cast<double>(CLng(lire("nbUse", "1"))) + 1);
        prog.SaveSetting(QStringLiteral("nbUse"), QString::number(n));
    });
    groupe.reset();

    // The drive list of a dialog loaded again after the user closed it: the
    // drive inventory fills it only when the drive list changes.
    remplir_liste_disques();
}

void frmOption::remplir_liste_disques() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("remplir_liste_disques"), MODULE);
    mdlDisk& d = prog.disk();
    if (d.etat.indice_max <= 0) return; // no inventory taken yet
    t([&] { LV->Clear(); });
    const int dernier = std::min<int>(d.etat.indice_max, static_cast<int>(d.disques.size()) - 1);
    for (int i = 0; i <= dernier; ++i) t([&] { d.ajouter_a_la_liste(*LV, i); });
}

void frmOption::Form_QueryUnload(int&, int mode) {
    Piege t(prog.rapporteur(), QStringLiteral("Form_QueryUnload"), MODULE);
    t([&] { btnOK_Click(); });
    if (mode != vbFormControlMenu) t([&] { prog.plateforme.shell.trayDelete(); });
}

// OK hides the dialog and stores every choice; the choices already act.
void frmOption::btnOK_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("btnOK_Click"), MODULE);
    auto ecrire = [this](const char* cle, const QString& valeur) {
        prog.SaveSetting(QString::fromLatin1(cle), valeur);
    };
    // One store, one rewrite of the settings file: an interruption leaves
    // all the old options or all the new ones.
    Programme::EcrituresGroupees groupe(prog);
    t([&] { Hide(); });
    t([&] { ecrire("majAuto", QString::number(checkmajAuto->Value())); });
    t([&] { ecrire("mail0", txtMail(0).Text()); });
    t([&] { ecrire("mail1", txtMail(1).Text()); });
    t([&] { ecrire("mail2", txtMail(2).Text()); });
    t([&] { ecrire("mail3", QString::number(UpDown1->Value())); });
    t([&] { ecrire("mail4", ComboAlarme->Text()); });
    t([&] { ecrire("Processus", ComboProcessus->Text()); });
    t([&] { ecrire("autoStart", QString::number(checkStart->Value())); });
    t([&] { ecrire("ShowIcone", QString::number(CheckIcone->Value())); });
    t([&] { ecrire("Help", QString::number(CheckHelp->Value())); });
    t([&] { ecrire("Smooth", QString::number(CheckSmooth->Value())); });
    t([&] { ecrire("DelayVerif", QString::number(UpDownVerif->Value())); });
    t([&] { ecrire("Skin", ComboSkin->Text()); });
}

void frmOption::TabStrip1_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("TabStrip1_Click"), MODULE);
    for (int i = 1; i <= 5; ++i) t([&] { PictureFond(i).setVisible(false); });
    t([&] { PictureFond(TabStrip1->SelectedItem()).setVisible(true); });
}

void frmOption::CheckHelp_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("CheckHelp_Click"), MODULE);
    t([&] { prog.antialias().init_couleurs_lissage(); });
    t([&] { prog.aide_active = CheckHelp->Value() == 1; });
}

void frmOption::CheckSmooth_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("CheckSmooth_Click"), MODULE);
    t([&] { prog.lissage = CheckSmooth->Value() == 1; });
}

void frmOption::checkStart_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("checkStart_Click"), MODULE);
    t([&] {
        if (checkStart->Value() == 1) activer_demarrage_auto(prog);
        else desactiver_demarrage_auto(prog);
    });
}

void frmOption::CheckIcone_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("CheckIcone_Click"), MODULE);
    t([&] {
        if (CheckIcone->Value() == 1) poser_icone(hWnd(), QStringLiteral("AAA"), true);
        else prog.plateforme.shell.trayDelete();
    });
}

// The priority names map to nice values; a raise that the system refuses
// (an ordinary user cannot go below its current nice value) changes nothing.
void frmOption::ComboProcessus_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("ComboProcessus_Click"), MODULE);
    t([&] {
        const QString texte = ComboProcessus->Text();
        int valeur = 0;
        if (texte == QLatin1String("Haut")) valeur = -5;
        else if (texte == QLatin1String("Normal")) valeur = 0;
        else if (texte == QLatin1String("Bas")) valeur = 19;
        else return;
        prog.plateforme.files.setPriority(valeur);
    });
}

void frmOption::UpDownVerif_Change() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("UpDownVerif_Change"), MODULE);
    t([&] { txtVerifDelay->setText(QString::number(UpDownVerif->Value())); });
    t([&] { prog.frmMain().TimerGetValues->setInterval(UpDownVerif->Value()); });
}

void frmOption::UpDown1_Change() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("UpDown1_Change"), MODULE);
    t([&] { txtMail(3).setText(QString::number(UpDown1->Value())); });
}

// `index` is the item's position in the list (from 1); the entry index is one less.
void frmOption::LV_ItemCheck(int index) {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("LV_ItemCheck"), MODULE);
    const int i = index - 1;
    bool coche = false;
    t([&] { coche = LV->Checked(index); });
    t([&] {
        if (i < 0 || i >= static_cast<int>(prog.disk().disques.size())) lever(ERR_INDICE);
        prog.SaveSetting(mdlDisk::cle_disque(i), coche ? QStringLiteral("True") : QStringLiteral("False"));
        prog.disk().disques[static_cast<size_t>(i)].afficher = coche;
    });
    t([&] {
        bool forcer = true;
        prog.disk().recuperation_info_Disk(forcer);
    });
}

void frmOption::Label2_Click() {
    Piege t(prog.rapporteur(), QStringLiteral("Label2_Click"), MODULE);
    t([&] { prog.plateforme.files.openWithDesktop(adresse_page_web()); });
}

void frmOption::btnMaj_Click() {
    Piege t(prog.rapporteur(), QStringLiteral("btnMaj_Click"), MODULE);
    t([&] { prog.maj().recherche_mise_a_jour(); });
}

// ------------------------------------------------------------ tray icon and menu

void frmOption::poser_icone(QWidget* hWnd, const QString& nom_ressource, bool avec_proprietaire) {
    Piege t(prog.rapporteur(), QStringLiteral("poser_icone"), MODULE);
    QWidget* proprietaire = nullptr;
    t([&] {
        if (avec_proprietaire && hWnd) proprietaire = hWnd->window();
    });
    // Window icons from the named icon group (only "AAA" exists).
    const QIcon icone = nom_ressource == QLatin1String("AAA") ? dessins::icone_AAA() : QIcon();
    t([&] {
        if (proprietaire && proprietaire != hWnd) proprietaire->setWindowIcon(icone);
        if (hWnd) hWnd->setWindowIcon(icone);
    });
    // The tray always shows "AAA", whatever was asked for the windows.
    t([&] {
        NOTIFYICONDATA& d = prog.donnees_icone;
        d.cbSize = 88;
        d.hWnd = hWnd;
        d.uID = 1;
        d.uFlags = 7;
        d.uCallbackMessage = WM_MOUSEMOVE;
        d.szTip = TIP_ICONE;
    });
    const QIcon tray = dessins::icone_AAA();
    t([&] { prog.plateforme.shell.trayAdd(tray, prog.donnees_icone.szTip); });
    t([&] { prog.plateforme.shell.trayModify(tray, prog.donnees_icone.szTip); });
}

void frmOption::mnuHideIcon_Click() {
    Load();
    Piege t(prog.rapporteur(), QStringLiteral("mnuHideIcon_Click"), MODULE);
    t([&] { CheckIcone->setValue(CheckIcone->Value() == 1 ? 0 : 1); });
}

void frmOption::mnuOptions_Click() {
    Piege t(prog.rapporteur(), QStringLiteral("mnuOptions_Click"), MODULE);
    t([&] { Show(); });
    t([&] {
        if (hWnd()) {
            hWnd()->raise();
            hWnd()->activateWindow();
        }
    });
}

// "Exit": the tray icon goes, the bar unloads (giving the work area back),
// the options are stored by the dialog's own unload, and the process ends.
void frmOption::mnuQuitter_Click() {
    Piege t(prog.rapporteur(), QStringLiteral("mnuQuitter_Click"), MODULE);
    t([&] { prog.plateforme.shell.trayDelete(); });
    t([&] {
        if (auto* f = prog.frmMain_si_charge()) f->Unload(vbFormCode);
    });
    t([&] { Unload(vbFormCode); });
    prog.plateforme.files.endProcess(0);
}

} // namespace tk
