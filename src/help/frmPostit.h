// The help balloon: a pale-yellow window below the bar.
#pragma once

#include "forms/controles.h"
#include "forms/forme.h"

namespace tk {

class Programme;

class frmPostit : public Forme {
    Q_OBJECT
public:
    explicit frmPostit(Programme& prog);
    ~frmPostit() override;

protected:
    Qt::WindowFlags drapeaux_fenetre() const override;
    void creer_controles(QWidget* fenetre) override;
    void detruire_controles() override;

private:
    Programme& prog;
};

} // namespace tk
