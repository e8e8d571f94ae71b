#include "diag/mdlFonctions.h"

namespace tk {

void mdlFonctions::MAF() {}

} // namespace tk
