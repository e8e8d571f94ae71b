#pragma once

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class modAntiAlias {
public:
    explicit modAntiAlias(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);
    void init_couleurs_lissage();

private:
    Programme& prog;
};

} // namespace tk
