// The number of the run-time error a statement raises, 0 when it raises none.
#pragma once

#include "diag/erreur.h"

#include <functional>

namespace tk {

inline int numero_erreur(const std::function<void()>& instruction) {
    try {
        instruction();
    } catch (const ErreurVB& e) {
        return e.numero();
    }
    return 0;
}

} // namespace tk
