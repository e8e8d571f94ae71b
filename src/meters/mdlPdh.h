#pragma once

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class mdlPdh {
public:
    explicit mdlPdh(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);
    void init_pdh();

private:
    Programme& prog;
};

} // namespace tk
