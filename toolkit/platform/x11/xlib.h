// Xlib for this folder's sources. X.h defines None (and other plain words) as macros, which
// would break the toolkit's VirtualKey::None: the toolkit's headers are read first, and
// code after this include writes VirtualKey{} for "no virtual key".
#pragma once

#include "toolkit/cbuttonstate.h"
#include "toolkit/platform/iplatformframe.h"

// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// clang-format on
