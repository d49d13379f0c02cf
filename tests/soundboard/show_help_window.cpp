// Shows the help window alone, as the main window's help key does, in the
// language given ("de" German, anything else English), until it is closed.
// For screenshots: scripts/screenshots.sh.
#include <string>

#include "Form1.h"
#include "ModZPM.h"
#include "forms.h"

int main(int argc, char** argv) {
    if (!forms::chooseDisplay()) return 1;
    Zpm.sLang = argc > 1 ? argv[1] : "de";
    forms::startRuntime();
    Form1::instance().Show();
    return forms::Run();
}
