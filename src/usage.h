// The text of "tarvik --help": options, and where the settings, the error
// log and the autostart entry of this user live. Needs no display and no
// application object.
#pragma once

#include <string>

namespace tk {

std::string texte_usage();

} // namespace tk
