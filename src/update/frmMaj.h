// The update window: the question, the download and the hand-over.
#pragma once

#include "forms/controles.h"
#include "forms/forme.h"

namespace tk {

class Programme;

class frmMaj : public Forme {
    Q_OBJECT
public:
    explicit frmMaj(Programme& prog);
    ~frmMaj() override;

    void session_reboot();
    void session_nettoyage();

protected:
    void creer_controles(QWidget* fenetre) override;
    void detruire_controles() override;

private:
    Programme& prog;
};

} // namespace tk
