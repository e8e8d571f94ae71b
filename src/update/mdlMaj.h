#pragma once

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class mdlMaj {
public:
    explicit mdlMaj(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);

    void recherche_mise_a_jour();

private:
    Programme& prog;
};

} // namespace tk
