#include "fakes/fake_platform.h"
