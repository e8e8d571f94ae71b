#pragma once

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class mdlRezo {
public:
    explicit mdlRezo(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);

private:
    Programme& prog;
};

} // namespace tk
