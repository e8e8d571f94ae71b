// Start-up: decides between an ordinary start and the second half of a
// self-update, then brings up the pieces in a fixed order.
#pragma once

namespace tk {

class Programme;

class mdlMain {
public:
    explicit mdlMain(Programme& prog);
    void Main();
    // Unloads what "Exit" unloads, in its order, once: the tray icon, the bar
    // window (its reservation is given back) and the options dialog (the
    // options are stored). Called after the event loop has returned.
    void fin_du_programme();
    bool init_controles_communs();
    void animation_demarrage();
    // True when this start hands over to the replacement procedure.
    bool est_demarrage_remplacement();
    // The stored bar mode as start-up reads it: 1 or 2 (anything else is full mode).
    int lire_mode_barre();

private:
    Programme& prog;
    bool fini_ = false;
};

} // namespace tk
