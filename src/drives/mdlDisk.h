#pragma once

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class mdlDisk {
public:
    explicit mdlDisk(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);
    void recuperation_info_Disk(bool& forcer);

private:
    Programme& prog;
};

} // namespace tk
