#include "fakes/fake_plateforme.h"
