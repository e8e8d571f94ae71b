#include "fakes/fake_sound.h"
