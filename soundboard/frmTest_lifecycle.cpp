// The main window's life: start-up with the saved place and mode, the
// resize that applies a mode, the panic key, and the close that saves.
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "ModZPM.h"
#include "frmTest.h"
#include "mdINIBas.h"

namespace {

constexpr std::string_view NormalCaption = "Zirpomat";
constexpr int KeyEscape = 27;

// The small open skin in twips: a window saved nearer than this to the
// screen's right or bottom edge could not be reached again.
constexpr float SmallSkinWidth = 123 * forms::twipsPerPixel;
constexpr float SmallSkinHeight = 109 * forms::twipsPerPixel;
constexpr float DefaultPlace = 10;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The number at the start of a text, "." as decimal point, blanks before it
// skipped; 0 when the text starts with none. Nothing when the number does
// not fit a double.
std::optional<double> LeadingNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '+' || negative)) text.remove_prefix(1);
    // Only digits start a number: "inf" and "nan" are no numbers here.
    const bool digitFirst = !text.empty() && (std::isdigit(static_cast<unsigned char>(text.front())) ||
                                              (text.size() > 1 && text[0] == '.' &&
                                               std::isdigit(static_cast<unsigned char>(text[1]))));
    if (!digitFirst) return 0.0;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return std::nullopt;
    if (error != std::errc()) return 0.0;
    return negative ? -value : value;
}

// A saved position in twips; a value a single-precision number cannot hold,
// or a place from which the small machine would not lie wholly on the
// screen, gives the default place.
float PositionValue(std::string_view text, float margin, int screenTwips) {
    const std::optional<double> value = LeadingNumber(text);
    if (!value || *value < 0 || *value + margin > screenTwips) return DefaultPlace;
    return static_cast<float>(*value);
}

// The saved machine mode: the nearest whole number, a half to the even
// neighbour; 0 and values beyond 16 bits give mode 1.
std::int16_t ModeValue(std::string_view text) {
    constexpr std::int16_t fallback = 1;
    const std::optional<double> value = LeadingNumber(text);
    if (!value) return fallback;
    const double rounded = std::nearbyint(*value);
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() && rounded <= std::numeric_limits<std::int16_t>::max()))
        return fallback;
    const auto mode = static_cast<std::int16_t>(rounded);
    return mode == 0 ? fallback : mode;
}

// The window's place as saved at close: "100" where the window's corner
// lies at or beyond the screen's top or left edge, or within the margin
// of the bottom or right edge.
std::string SavedPlace(float twips, float margin, int screenTwips) {
    if (twips <= 0 || twips + margin > static_cast<float>(screenTwips)) return "100";
    return NumberText(twips);
}

bool German() { return Zpm.sLang == "de"; }

}  // namespace

void frmTest::Form_Load() {
    Zpm.bTalkOver = false;
    Zpm.bPlaylistOn = false;
    Zpm.sLang = environment("LANG");
    if (Zpm.sLang.empty()) Zpm.sLang = "de";
    forms::setGermanStandardButtons(German());

    // Always laid out and shaped as the large open machine here; the saved
    // mode takes effect when the first showing raises Form_Resize.
    setTransparancy();
    reset2default();
    create_largeWindow();
    ZOrder();

    Zpm.colSnds = platform::Collection();
    Zpm.bPlayerOk = wmp(0).Available();
    // Every start sets the normal level, and so does a stop: the first sound
    // comes at it too, whichever way it is started.
    wmp(0).setVolume(NormalLevel);
    LoadSettings();
    restoreWindowPlace();
    Zpm.iMaschineMode = ModeValue(mdINIBas::GetIniValue("ppos", "mp", "1", Zpm.INI_Name));

    m_wmp[1].emplace();
    setIcon(zpmpic.Picture());
    setCaption(NormalCaption);
    lblTime.setCaption(DateTimeText());
    Show();

    if (mdINIBas::GetIniValue("inifilepath", "inideb", Nil, Zpm.INI_Name) == "1" || links.CommandLine == "/D")
        showStartupPaths();
}

void frmTest::restoreWindowPlace() {
    const std::string yp = mdINIBas::GetIniValue("ppos", "yp", "10", Zpm.INI_Name);
    const std::string xp = mdINIBas::GetIniValue("ppos", "xp", "10", Zpm.INI_Name);
    setTop(PositionValue(yp, SmallSkinHeight, forms::ScreenHeight()));
    setLeft(PositionValue(xp, SmallSkinWidth, forms::ScreenWidth()));
}

void frmTest::showStartupPaths() {
    const std::string text = "SystemDir = " + environment("windir") + "\r\n" +
                             "ApplDataDir (EnvLocal) = " + environment("LOCALAPPDATA") + "\r\n" +
                             "ApplDataDir (EnvUser) = " + environment("APPDATA") + "\r\n" +
                             "ApplDataDir (PGM) = " + Zpm.ApplDataDir + "\r\n" +
                             "INI_Name = " + Zpm.ApplDataDir + "/zpm.ini\r\n" +
                             "SystemSound = " + Zpm.ApplDataDir + "/eep.wav\r\n";
    forms::MsgBox(text, forms::vbInformation | forms::vbOKOnly, "INFO");
}

void frmTest::Form_Resize() {
    if (WindowState() != forms::vbNormal) return;
    if (Zpm.bPanic) {
        Hide();
        const int answer = forms::MsgBox(German() ? "Programm beenden?" : "Exit Program?", forms::vbYesNo,
                                         German() ? "Rechner" : "Calculator");
        // Ends at once: nothing is saved, no unload handling runs.
        if (answer == forms::vbYes) forms::End();
        Zpm.bPanic = false;
        Show();
    }
    setIcon(zpmpic.Picture());
    setCaption(NormalCaption);
    set_maschine();
}

// Esc silences the main player and disguises the window as a calculator;
// the sound list, which names the sounds, closes as a mode change closes it,
// and the help window, which names the program, closes too.
void frmTest::Form_KeyPress(int& KeyAscii) {
    if (KeyAscii != KeyEscape) return;
    closeSoundList();
    unloadHelpWindow();
    setIcon(wrdpic.Picture());
    setCaption(German() ? "Rechner (Wissenschaftlich)" : "Calc (Scientific)");
    m_cRegion.Applied(hWnd(), false);
    Zpm.bPanic = true;
    setWindowState(forms::vbMinimized);
    PanicStop();
}

void frmTest::Form_Unload(int&) {
    const std::string yp = SavedPlace(Top(), SmallSkinHeight, forms::ScreenHeight());
    const std::string xp = SavedPlace(Left(), SmallSkinWidth, forms::ScreenWidth());
    SaveSetting("ppos", "yp", yp, Zpm.INI_Name);
    SaveSetting("ppos", "xp", xp, Zpm.INI_Name);
    SaveSetting("ppos", "mp", std::to_string(Zpm.iMaschineMode), Zpm.INI_Name);

    for (std::optional<media::MediaPlayer>& player : m_wmp) {
        if (!player) continue;
        player->setVolume(media::kSilence);
        player->Stop();
    }
    SetTopMost(0, hWnd());
    unloadHelpWindow();
    if (Zpm.bSndListOpen) UnloadSoundList();
}

void frmTest::unloadHelpWindow() {
    if (links.unloadHelpWindow) links.unloadHelpWindow();
}
