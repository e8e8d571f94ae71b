// The program's version, as the build sets it (CMakeLists.txt). Kept alone in
// this file so that a test build of another version can put its own in place.
#include "app/programme.h"

namespace tk {

int Programme::version_major() { return TARVIK_VERSION_MAJOR; }
int Programme::version_minor() { return TARVIK_VERSION_MINOR; }
int Programme::version_revision() { return TARVIK_VERSION_REVISION; }

} // namespace tk
