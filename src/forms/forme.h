// A form: a top-level window with its design-time controls. Loading creates
// the window and the controls, then runs Form_Load; unloading runs the
// query-unload handler (told whether the user or the code closed the
// window), then the unload handler, and destroys both. Accessors of the
// program object load a form again when it is touched after an unload.
#pragma once

#include "forms/controles.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace tk {

// Why a form is being unloaded.
enum ModeDechargement : int {
    vbFormControlMenu = 0, // the user closed the window
    vbFormCode = 1,        // code asked for it
    vbAppWindows = 2,      // the session ends
    vbAppTaskManager = 3,
};

class Forme;

// The window of a form: forwards closing, paints the form's own drawing layer.
class FenetreForme : public QWidget {
public:
    FenetreForme(Forme& forme, Qt::WindowFlags drapeaux);
    QImage calque; // what Line draws on the window itself
    // A control of this window saw the mouse move over it.
    void souris_sur_controle();

protected:
    void closeEvent(QCloseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    Forme& forme_;
};

class Forme : public QObject, public GeometrieTwips {
    Q_OBJECT
public:
    explicit Forme(QString nom);
    ~Forme() override;

    const QString& nom() const { return nom_; }
    bool charge() const { return fenetre_ != nullptr; }

    void Load(); // nothing when already loaded
    void Show(); // loads first when needed
    void Hide();
    bool Unload(int mode = vbFormCode); // false when the query-unload handler cancelled
    QWidget* hWnd() const { return fenetre_; }
    FenetreForme* fenetre() const { return fenetre_; }

    // Geometry from a placement done in pixels (the docking code): keeps twips in step.
    void geometrie_pixels(int x, int y, int largeur, int hauteur);

    QString Caption() const;
    void setCaption(const QString& c);
    Couleur BackColor() const { return back_; }
    void setBackColor(Couleur c);
    void Line(double x1, double y1, double x2, double y2, Couleur couleur); // on the window itself
    void Refresh();

    // Mouse events over the window's own area, where no control covers it.
    GestionSouris MouseDown, MouseUp, MouseMove;

    // Runs when the user closes the window with its close button.
    void fermeture_utilisateur();
    // Runs for every mouse move over any control of the window (after the
    // control's own handler).
    virtual void survol_controle() {}

    // Creation of what the form owns. The form records everything it creates,
    // in order, and its unload destroys it all in the reverse order.
    template <class T, class... A>
    T& creer(std::unique_ptr<T>& place, QWidget* parent, const char* nom, double l, double t, double w, double h,
             A&&... a) {
        place = std::make_unique<T>(parent, QString::fromLatin1(nom), std::forward<A>(a)...);
        place->Move(l, t, w, h);
        posseder([&place] { place.reset(); });
        return *place;
    }
    // Member 0 of a control array; the members loaded later go with the array.
    template <class T, class... A>
    T& creer(GroupeControles<T>& groupe, QWidget* parent, double l, double t, double w, double h, A&&... a) {
        auto c = std::make_unique<T>(parent, groupe.nom(), std::forward<A>(a)...);
        c->Move(l, t, w, h);
        groupe.definir_premier(std::move(c));
        posseder([&groupe] { groupe.vider(); });
        return groupe(0);
    }
    Timer& creer(std::unique_ptr<Timer>& place, const char* nom, int intervalle);
    // Anything else the form made: `liberer` runs at unload, in reverse order.
    void posseder(std::function<void()> liberer);

protected:
    virtual Qt::WindowFlags drapeaux_fenetre() const { return Qt::Window; }
    // A fixed dialog: title bar with a close button only, and a size the user
    // cannot change.
    virtual bool dialogue_fixe() const { return false; }
    virtual void creer_controles(QWidget* fenetre) = 0; // design-time controls, through creer()
    virtual void Form_Load() {}
    virtual void Form_QueryUnload(int& /*cancel*/, int /*mode*/) {}
    virtual void Form_Unload(int& /*cancel*/) {}
    bool eventFilter(QObject* objet, QEvent* e) override;
    void appliquer_geometrie() override;

    // Design-time size of the window, in twips.
    double largeur_conception_ = 4800, hauteur_conception_ = 3600;

private:
    QString nom_;
    FenetreForme* fenetre_ = nullptr;
    Couleur back_ = vbSysteme(COLOR_BTNFACE);
    QString caption_;
    bool en_dechargement_ = false;
    std::vector<std::function<void()>> possessions_;
};

} // namespace tk
