#include "platform/plateforme.h"
