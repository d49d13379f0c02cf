// Everything a window class of the program needs from the forms runtime.
#pragma once

#include "control.h"
#include "control_array.h"
#include "display.h"
#include "elements.h"
#include "form.h"
#include "late_binding.h"
#include "lines.h"
#include "runtime.h"
#include "waits.h"
#include "window_manager.h"
