// Placeholder until the artwork is embedded: no image is found.
#include "toolkit/resources.h"

ResourceBytes findImageResource(int /*id*/) { return {}; }
