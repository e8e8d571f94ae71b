// The version of the program the update test serves: the same program as
// the one under test, numbered 9.9.9 so that the update has something to
// offer and the downloaded file names the offered version.
#include "app/programme.h"

namespace tk {

int Programme::version_major() { return 9; }
int Programme::version_minor() { return 9; }
int Programme::version_revision() { return 9; }

} // namespace tk
