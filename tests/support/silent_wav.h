// Kept for the test programs that include it by this name.
#pragma once
#include "sound_files.h"
