// Run-time errors: an exception carrying a classic error number and a
// description, raised by the checked helpers and trapped per statement by
// every procedure (see Piege below), then handed to afficher_erreur.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <string>

namespace tk {

enum NumeroErreur : int {
    ERR_APPEL_INCORRECT = 5, // invalid procedure call or argument
    ERR_DEPASSEMENT = 6,     // overflow
    ERR_INDICE = 9,          // subscript out of range
    ERR_DIVISION_ZERO = 11,  // division by zero
    ERR_TYPE = 13,           // type mismatch
    ERR_FICHIER_INTROUVABLE = 53,
    ERR_OBJET_NON_DEFINI = 91,  // object variable not set
    ERR_ELEMENT_GROUPE = 340,   // control array element does not exist
    ERR_ELEMENT_EXISTE = 360,   // object already loaded
    ERR_DECHARGEMENT = 362,     // cannot unload design-time controls
    ERR_VALEUR_PROPRIETE = 380, // invalid property value
    ERR_IMAGE_INCORRECTE = 481, // invalid picture
};

// The description the runtime gives for a classic error number.
QString description_erreur(int numero);

class ErreurVB : public std::exception {
public:
    explicit ErreurVB(int numero, QString description = {});
    int numero() const { return numero_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int numero_;
    QString description_;
    std::string what_;
};

[[noreturn]] void lever(int numero, const QString& description = {});

// Where a trapped error goes: (description, number, routine, module).
using RapporteurErreur = std::function<void(const QString&, double, const QString&, const QString&)>;

// The error trap of one procedure. Each statement that may fail runs
// through it; a failure is reported with the procedure's and module's
// names and the procedure goes on with the next statement.
//
//     Piege t(prog.rapporteur(), "calcul_taille_fenetre", "mdlAppBar");
//     t([&] { ... });
//     t([&] { ... });
//
// A silent trap (Piege::muet) swallows errors without reporting them, for
// procedures whose failing statements are skipped without a log.
class Piege {
public:
    Piege(RapporteurErreur rapport, QString routine, QString module);
    static Piege muet();

    // Returns true when the statement ran without error.
    template <class F>
    bool operator()(F&& instruction) {
        try {
            instruction();
            return true;
        } catch (const ErreurVB& e) {
            signaler(e.description(), e.numero());
        } catch (const std::exception& e) {
            signaler(QString::fromUtf8(e.what()), ERR_APPEL_INCORRECT);
        }
        return false;
    }

    // The routine name can change while the procedure runs (a progress marker).
    void routine(const QString& r) {
        routine_ = r;
        fabrique_ = nullptr;
    }
    // A marker whose text is made only when an error is reported with it:
    // a pass that runs on every tick names each step, and the names would
    // be made for nothing as long as no statement fails.
    void routine(std::function<QString()> fabrique) {
        routine_.clear();
        fabrique_ = std::move(fabrique);
    }
    QString routine() const { return fabrique_ ? fabrique_() : routine_; }

private:
    void signaler(const QString& description, int numero);
    RapporteurErreur rapport_;
    QString routine_;
    std::function<QString()> fabrique_;
    QString module_;
};

} // namespace tk
