// The form engine: thin classes over Qt widgets that give the operations the
// program is written against. Positions and sizes are twips (15 to a logical
// pixel), kept exactly as assigned; the widget geometry follows in pixels.
#pragma once

#include "diag/erreur.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWindow;

class QTimer;
class QLabel;
class QLineEdit;
class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QTabBar;
class QTreeWidget;
class QMenu;
class QMouseEvent;

namespace tk {

constexpr double TWIPS_PAR_PIXEL = 15.0;

// Twips to pixels for widget geometry: nearest pixel, halves to even.
int vers_pixels(double twips);

// A position or size in twips as a form or control stores it: a value that is
// not a finite number, or a negative size, is error 380 (invalid property value).
float twips_valide(double v, bool taille = false);

// Geometry in twips as a form or a control keeps it, exactly as assigned:
// each value is checked (twips_valide) before it is kept, all four of a Move
// before any, and the result is shown through appliquer_geometrie().
class GeometrieTwips {
public:
    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    void setLeft(double v);
    void setTop(double v);
    void setWidth(double v);  // a negative width is error 380
    void setHeight(double v); // a negative height is error 380
    void Move(double left, double top, double width, double height);

protected:
    virtual ~GeometrieTwips() = default;
    virtual void appliquer_geometrie() = 0;

    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// The fonts the program's windows were designed with, mapped once to installed
// faces whose widths come close to the designed ones (see police()).
enum class Police { MSSansSerif, SmallFonts };
// A font for a designed face and size in points. The size is turned into the
// pixel size the designed face has at 96 dots per inch, so texts measure the
// same whatever the screen's resolution.
QFont police(Police face, double points, bool gras = false);

// Colours are 32-bit with red in the lowest byte. Values with the top bit
// set (0x800000nn) are system colours resolved through the palette.
using Couleur = uint32_t;
constexpr Couleur SYS_COULEUR = 0x80000000u;
enum CouleurSysteme : uint32_t {
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_BTNFACE = 15,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
};
constexpr Couleur vbSysteme(uint32_t index) { return SYS_COULEUR | index; }
constexpr Couleur RGB(int r, int g, int b) {
    return static_cast<Couleur>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
QColor en_qcolor(Couleur c);
Couleur depuis_qcolor(const QColor& c);

// Mouse buttons as handlers receive them.
enum BoutonSouris : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };

using GestionSouris = std::function<void(int index, int bouton, int shift, float x, float y)>;
using GestionIndex = std::function<void(int index)>;

// What a mouse handler receives for a Qt mouse event: for a press or a release
// the button that changed, for a move the buttons held; the shift state
// (1 Shift, 2 Ctrl, 4 Alt); the position in twips.
struct ArgumentsSouris {
    int bouton = 0;
    int shift = 0;
    float x = 0, y = 0;
};
ArgumentsSouris arguments_souris(const QMouseEvent& m);

// Base of every control: geometry in twips, visibility, tool-tip, z-order,
// mouse events. `index` is the member index inside a control array (or -1).
class Controle : public QObject, public GeometrieTwips {
    Q_OBJECT
public:
    Controle(QWidget* widget, QString nom);
    ~Controle() override;

    QWidget* widget() const { return widget_; }
    const QString& nom() const { return nom_; }
    int Index() const { return index_; }
    void setIndex(int i) { index_ = i; }

    bool Visible() const { return visible_; }
    void setVisible(bool v);
    QString ToolTipText() const;
    void setToolTipText(const QString& t);
    void ZOrder(); // bring to front
    // Brings each to the front in turn, unless they already stand on top of
    // their parents in that order (then nothing moves and nothing repaints).
    static void ZOrder(const std::vector<Controle*>& controles);
    bool Enabled() const;
    void setEnabled(bool e);

    // The container a control sits in (its coordinates are the container's).
    void setContainer(Controle* conteneur);
    void setMousePointer(const QCursor& curseur);

    GestionSouris MouseDown, MouseUp, MouseMove;
    GestionIndex Click, DblClick;

    // A hidden copy with the same kind, geometry and look, for control arrays.
    virtual std::unique_ptr<Controle> cloner() const = 0;

protected:
    // Controls without a click of their own (pictures, images, labels) raise
    // Click on a left-button release over them; the input controls raise it
    // from their widget's own notification, which also covers the keyboard.
    virtual bool clic_au_relachement() const { return true; }
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void copier_base(Controle& copie) const;
    void appliquer_geometrie() override;
    virtual void geometrie_changee() {}

    QPointer<QWidget> widget_;
    QString nom_;
    int index_ = -1;
    QString infobulle_;
    bool visible_ = true;
};

// Picture surface: an image the control paints; drawing in twips (default)
// or in pixels (ScaleMode = vbPixels).
class Surface;
class PictureBox : public Controle {
    Q_OBJECT
public:
    enum ModeEchelle { vbTwips = 1, vbPixels = 3 };
    enum StyleLigne { Ligne, Boite, BoitePleine };

    PictureBox(QWidget* parent, QString nom);

    void Cls(); // clears to the background colour, text position 0,0
    void Line(double x1, double y1, double x2, double y2, Couleur couleur, StyleLigne style = Ligne);
    void PSet(double x, double y, Couleur couleur); // also moves the text position there
    Couleur Point(double x, double y) const;        // -1 outside the surface
    void Print(const QString& texte);               // at CurrentX/CurrentY, then moves down a line
    void Refresh();

    double CurrentX = 0, CurrentY = 0;
    Couleur ForeColor() const { return fore_; }
    void setForeColor(Couleur c) { fore_ = c; }
    Couleur BackColor() const { return back_; }
    void setBackColor(Couleur c);
    int ScaleMode() const { return mode_; }
    void setScaleMode(int m) { mode_ = m; }
    double ScaleWidth() const;
    double ScaleHeight() const;
    QFont Font() const;
    void setFont(const QFont& f);
    double TextWidth(const QString& t) const; // in the scale unit
    double TextHeight(const QString& t) const;

    // Picture drawn under the drawing (stretched to the surface when set).
    void setPicture(const QPixmap& p);
    QPixmap Picture() const { return picture_; }
    // The pixel surface itself (pixel functions work on it directly).
    QImage& image();
    const QImage& image() const;
    // Whether a clear (Cls) is still to be done on the pixels, and in which
    // colour: it is done when they are next looked at. A drawer that covers
    // every pixel itself takes them without it (`pixels_sans_effacement`,
    // which drops the pending clear).
    bool effacement_en_attente(QRgb& couleur) const;
    QImage& pixels_sans_effacement();
    // Tells the box that what this round drew is mostly the last round's
    // picture moved sideways by `dx` pixels (a graph scrolled by a sample),
    // so that the window moves what it shows instead of taking every pixel
    // again. Only a hint: the pixels shown are the box's pixels either way.
    void annoncer_defilement(int dx);
    // Called with each part of a box (in its own pixels) that the box wrote
    // into its window's image itself, without a paint event: for watching
    // what reaches the window. Unset by default.
    static std::function<void(const QWidget* boite, const QRegion& partie)>& observateur_envois();
    // Sends parts of a window's own image (rectangles that do not overlap,
    // in the window's coordinates) straight to what shows the window, or
    // returns false, having sent nothing, where it cannot. At the end of a
    // round, the parts the boxes wrote into the window's image go this way
    // instead of through the backing store's flush. Unset by default: the
    // platform sets it. While it is set, a box that writes into its window's
    // image does not have the backing store move what the window shows (a
    // scrolled graph sends its changed blocks).
    using EnvoiDirect = std::function<bool(QWindow* fenetre, const QImage& image, const std::vector<QRect>& parties)>;
    static EnvoiDirect& envoi_direct();

    std::unique_ptr<Controle> cloner() const override;

protected:
    void geometrie_changee() override;

private:
    double en_pixels(double v) const;
    Surface* surface() const;
    Couleur fore_ = RGB(0, 0, 0);
    Couleur back_ = vbSysteme(COLOR_BTNFACE);
    int mode_ = vbTwips;
    QPixmap picture_;
};

// Image: a picture stretched to the control's size.
class Image : public Controle {
    Q_OBJECT
public:
    Image(QWidget* parent, QString nom);
    QPixmap Picture() const { return picture_; }
    void setPicture(const QPixmap& p);
    bool LoadPicture(const QString& fichier); // false when the file cannot be read
    bool Stretch = true;
    std::unique_ptr<Controle> cloner() const override;

private:
    QPixmap picture_;
};

// Label: caption, self-sizing, alignment, transparent background.
class Label : public Controle {
    Q_OBJECT
public:
    enum Alignement { vbLeftJustify = 0, vbRightJustify = 1, vbCenter = 2 };
    Label(QWidget* parent, QString nom);
    QString Caption() const { return caption_; }
    void setCaption(const QString& c);
    bool AutoSize() const { return autosize_; }
    void setAutoSize(bool a);
    void setAlignment(int a);
    void setBackStyleTransparent(bool t);
    void setForeColor(Couleur c);
    void setBackColor(Couleur c);
    void setFont(const QFont& f);
    QFont Font() const;
    void setWordWrap(bool w);
    std::unique_ptr<Controle> cloner() const override;

private:
    void ajuster();
    QLabel* label() const;
    QString caption_;
    bool autosize_ = false;
    int alignement_ = vbLeftJustify;
    bool transparent_ = false;
    Couleur fore_ = RGB(0, 0, 0), back_ = vbSysteme(COLOR_BTNFACE);
};

// Timer. Its tick never runs inside itself: the timer is stopped while the
// handler runs and started again afterwards, so a slow tick (even one that
// lets pending events run) delays the next.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QString nom, QObject* parent = nullptr);
    ~Timer() override;
    bool Enabled() const { return enabled_; }
    void setEnabled(bool e);
    int Interval() const { return interval_; }
    void setInterval(int ms); // negative is error 380; 0 stops ticking
    const QString& nom() const { return nom_; }
    bool en_cours() const { return en_cours_; }
    std::function<void()> Tick;
    void declencher(); // runs one tick now, as the timer would (tests)

private:
    void armer();
    QString nom_;
    QTimer* timer_;
    bool enabled_ = false;
    bool en_cours_ = false;
    int interval_ = 0;
};

class TextBox : public Controle {
    Q_OBJECT
public:
    TextBox(QWidget* parent, QString nom);
    QString Text() const;
    void setText(const QString& t);
    void setPasswordChar(bool masque);
    void setMultiLine(bool m);
    void setLocked(bool l);
    std::function<void()> Change;
    std::unique_ptr<Controle> cloner() const override;

protected:
    bool clic_au_relachement() const override { return false; }

private:
    QWidget* edit_;
    bool multiligne_ = false;
};

// Check box: value 0 or 1; assigning a different value runs the click handler,
// as a click by the user does.
class CheckBox : public Controle {
    Q_OBJECT
public:
    CheckBox(QWidget* parent, QString nom, const QString& caption = {});
    int Value() const { return value_; }
    void setValue(int v);
    QString Caption() const;
    void setCaption(const QString& c);
    std::unique_ptr<Controle> cloner() const override;

protected:
    bool clic_au_relachement() const override { return false; }

private:
    QCheckBox* box() const;
    int value_ = 0;
    bool en_affectation_ = false;
};

// Combo box: items, text, selected index. Choosing an item (by the user or by
// assigning ListIndex) runs the click handler.
class ComboBox : public Controle {
    Q_OBJECT
public:
    ComboBox(QWidget* parent, QString nom);
    void AddItem(const QString& t);
    void Clear();
    int ListCount() const;
    QString List(int i) const;
    int ListIndex() const;
    void setListIndex(int i); // -1 clears; out of range is error 380
    QString Text() const;
    void setText(const QString& t); // selects the matching item or shows the text as is
    std::unique_ptr<Controle> cloner() const override;

protected:
    bool clic_au_relachement() const override { return false; }

private:
    QComboBox* combo() const;
    bool par_code_ = false;
};

class CommandButton : public Controle {
    Q_OBJECT
public:
    CommandButton(QWidget* parent, QString nom, const QString& caption = {});
    QString Caption() const;
    void setCaption(const QString& c);
    std::unique_ptr<Controle> cloner() const override;

protected:
    bool clic_au_relachement() const override { return false; }
};

// Spinner: assigning Value runs the change handler (when the value changes).
class UpDown : public Controle {
    Q_OBJECT
public:
    UpDown(QWidget* parent, QString nom);
    int Value() const;
    void setValue(int v);
    void setMin(int m);
    void setMax(int m);
    int Min() const;
    int Max() const;
    std::function<void()> Change;
    std::unique_ptr<Controle> cloner() const override;

protected:
    bool clic_au_relachement() const override { return false; }

private:
    QSpinBox* spin() const;
    int value_ = 0;
};

// Tab strip: tabs with captions; SelectedItem is 1-based like its tabs.
class TabStrip : public Controle {
    Q_OBJECT
public:
    TabStrip(QWidget* parent, QString nom);
    void AddTab(const QString& caption);
    int TabCount() const;
    QString TabCaption(int i) const; // 1-based
    int SelectedItem() const;        // 1-based
    void setSelectedItem(int i);     // runs Click
    std::unique_ptr<Controle> cloner() const override;

protected:
    bool clic_au_relachement() const override { return false; }

private:
    QTabBar* bar() const;
    bool par_code_ = false;
};

// List view in report style with check boxes. ItemCheck runs only when the
// user ticks or unticks an item, never when code fills the list.
class ListView : public Controle {
    Q_OBJECT
public:
    ListView(QWidget* parent, QString nom);
    void setColumns(const QStringList& entetes);
    void Clear();
    int Count() const;
    int Add(const QString& texte, const QStringList& sousElements, bool coche); // returns the 1-based index
    QString Text(int i) const;                                                  // 1-based
    QString SubItem(int i, int colonne) const;
    bool Checked(int i) const;
    void setChecked(int i, bool coche);       // by code: no ItemCheck
    std::function<void(int index)> ItemCheck; // 1-based index of the item the user ticked
    std::unique_ptr<Controle> cloner() const override;

protected:
    bool clic_au_relachement() const override { return false; }

private:
    QTreeWidget* arbre() const;
    bool par_code_ = false;
};

// A control array: members addressed by a 16-bit index; Load(n) creates a
// hidden copy of member 0; member 0 cannot be unloaded.
template <class T>
class GroupeControles {
public:
    explicit GroupeControles(QString nom) : nom_(std::move(nom)) {}

    void definir_premier(std::unique_ptr<T> premier) {
        membres_.clear();
        premier->setIndex(0);
        membres_.push_back(std::move(premier));
    }
    T& operator()(int index) const {
        if (index < 0 || index >= static_cast<int>(membres_.size()) || !membres_[index]) lever_absent();
        return *membres_[index];
    }
    bool existe(int index) const { return index >= 0 && index < static_cast<int>(membres_.size()) && membres_[index]; }
    void Load(int index);
    void Unload(int index);
    int Count() const {
        int n = 0;
        for (auto& m : membres_) n += m ? 1 : 0;
        return n;
    }
    int UBound() const {
        for (int i = static_cast<int>(membres_.size()) - 1; i >= 0; --i)
            if (membres_[i]) return i;
        return -1;
    }
    const QString& nom() const { return nom_; }
    template <class F>
    void pour_chaque(F f) const {
        for (auto& m : membres_)
            if (m) f(*m);
    }
    // Destroys every member, the highest index first.
    void vider() {
        while (!membres_.empty()) membres_.pop_back();
    }

private:
    [[noreturn]] static void lever_absent();
    QString nom_;
    std::vector<std::unique_ptr<T>> membres_;
};

template <class T>
void GroupeControles<T>::lever_absent() {
    lever(ERR_ELEMENT_GROUPE);
}

template <class T>
void GroupeControles<T>::Load(int index) {
    if (index < 0 || index > 32767) lever(ERR_ELEMENT_GROUPE);
    if (membres_.empty() || !membres_[0]) lever(ERR_ELEMENT_GROUPE);
    if (existe(index)) lever(ERR_ELEMENT_EXISTE);
    std::unique_ptr<Controle> copie = membres_[0]->cloner();
    std::unique_ptr<T> membre(static_cast<T*>(copie.release()));
    membre->setIndex(index);
    membre->setVisible(false);
    if (static_cast<int>(membres_.size()) <= index) membres_.resize(index + 1);
    membres_[index] = std::move(membre);
}

template <class T>
void GroupeControles<T>::Unload(int index) {
    if (!existe(index)) lever(ERR_ELEMENT_GROUPE);
    if (index == 0) lever(ERR_DECHARGEMENT);
    membres_[index].reset();
    while (!membres_.empty() && !membres_.back()) membres_.pop_back();
}

// Popup menu: items with captions and handlers.
class Menu : public QObject {
    Q_OBJECT
public:
    explicit Menu(QString caption, QObject* parent = nullptr);
    ~Menu() override;
    void AddItem(const QString& nom, const QString& caption, std::function<void()> action);
    QString Caption() const { return caption_; }
    QStringList captions() const;
    void declencher(const QString& nom); // runs an item's action as a click would
    void PopupMenu(const QPoint& ecran); // opens at a screen position
    QMenu* qmenu() const { return menu_; }

private:
    QString caption_;
    QMenu* menu_;
    std::vector<std::pair<QString, std::function<void()>>> items_;
};

// Screen facts. Screen positions count from the primary monitor's top left
// corner, wherever that monitor lies on the desktop.
struct Ecran {
    static double TwipsPerPixelX() { return TWIPS_PAR_PIXEL; }
    static double TwipsPerPixelY() { return TWIPS_PAR_PIXEL; }
    static double Width();  // twips
    static double Height(); // twips
    // The primary monitor's top left corner on the desktop, in pixels.
    static QPoint Origine();
    static void MousePointerDefault();
};

// Lets pending window events run once.
void DoEvents();

} // namespace tk
