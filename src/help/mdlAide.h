#pragma once

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class mdlAide {
public:
    explicit mdlAide(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);

    // Shows the help balloon for a subject (and a number: meter, row...).
    void afficher_aide(int16_t sujet, int16_t numero);

private:
    Programme& prog;
};

} // namespace tk
