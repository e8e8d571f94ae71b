// A program on the fake platform with helpers to set drives and refresh.
#pragma once

#include "app/frmMain.h"
#include "app/mdlFonctions.h"
#include "drives/mdlDisk.h"
#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

namespace tk {

constexpr uint64_t GO = 1024ull * 1024 * 1024;

inline const QString CHEMIN_E_C = QStringLiteral("\\Disque logique(C:)\\Ecritures disque, octets/s");
inline const QString CHEMIN_L_C = QStringLiteral("\\Disque logique(C:)\\Lectures disque, octets/s");
inline const QString CHEMIN_E_D = QStringLiteral("\\Disque logique(D:)\\Ecritures disque, octets/s");
inline const QString CHEMIN_L_D = QStringLiteral("\\Disque logique(D:)\\Lectures disque, octets/s");

struct BancDisques {
    TestBench b;
    FakeSystem& sys() { return b.fp.system; }
    mdlDisk& d() { return b.p().disk(); }
    frmMain& f() { return b.p().frmMain(); }

    FakeDrive& lecteur(QChar lettre, int type, const QString& label, uint64_t total, uint64_t libre) {
        FakeDrive d;
        d.letter = lettre;
        d.type = type;
        d.label = label;
        d.total = total;
        d.freeCaller = d.freeTotal = libre;
        d.folder = QStringLiteral("/media/user/") + (label.isEmpty() ? QString(lettre) : label);
        return sys().setDrive(d);
    }
    bool rafraichir(bool forcer = false) {
        d().recuperation_info_Disk(forcer);
        return forcer;
    }
    void reglage(const QString& cle, const QString& valeur) {
        b.fp.registry.put(QStringLiteral("tarvik"), cle, valeur);
    }
    // Names of the rows on show.
    QStringList noms() {
        QStringList r;
        for (int k = 0; k < f().picDisc.Count(); ++k)
            if (f().lblNomDisc(k).Visible()) r << f().lblNomDisc(k).Caption();
        return r;
    }
    int erreurs() { return static_cast<int>(b.fp.dialogs.boxes.size()); }
    // A pixel of row n's usage bar.
    Couleur px(int n, int x, int y) {
        const QRgb p = f().picDisc(n).image().pixel(x, y);
        return RGB(qRed(p), qGreen(p), qBlue(p));
    }
};

} // namespace tk
