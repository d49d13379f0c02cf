// Scaling a window and its elements to a new width before it is shown.
#pragma once

#include "forms.h"

// Gives the window the outer width NewWidth (twips) and its height, and the
// place and size of each element, the same ratio; centres it on the screen
// when bCenter is set, and shows it. Text boxes are kept within the help
// window's inner size. Throws std::domain_error for a window whose inner
// width is zero and std::overflow_error when the ratio is no finite number
// or the new width or height is beyond what a window takes; the window is
// then left as it was. A statement on an
// element that fails (a member the element lacks, a value it refuses) is
// skipped.
void ResizeForm(forms::Form& frm, float NewWidth, bool bCenter);

// The help window, loaded when it is not (loading shows it).
forms::Form& HelpWindow();
