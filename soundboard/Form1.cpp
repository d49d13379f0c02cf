#include "Form1.h"

#include <array>
#include <string>

#include "ModZPM.h"
#include "ascii_text.h"
#include "asset_dir.h"

namespace {

constexpr int VersionMajor = ZPM_VERSION_MAJOR;
constexpr int VersionMinor = ZPM_VERSION_MINOR;
constexpr int KeyEscape = 27;
constexpr int RuleWidth = 79;
constexpr int WideRuleWidth = 211;  // the English block's Esc line stands between these
constexpr float DesignLeft = 1065;  // twips
constexpr float DesignTop = 900;
constexpr forms::Color Charcoal = 0x404040;
constexpr forms::Color TextBack = 0x505050;
constexpr forms::Color SystemWindowColor = 0x80000005;

Form1* made = nullptr;

// One line of the key and mouse table: which keys and which mouse button
// call the function.
struct Binding {
    bool shift, ctrl, alt, left, right;
    std::string_view german, english;
};

constexpr std::array<Binding, 9> Bindings{{
    {false, false, false, true, false, "Start / Stop", "Start / Stop"},
    {false, false, true, true, false, "Fade-Out und starte gewählten Sound/Song", "Fade-Out and start selected Sound/Song"},
    {false, true, false, true, false, "Vorhergehender Track (nur bei Playlisten)",
     "Previous Track (only if Playlist is loaded)"},
    {true, false, false, true, false, "Talk-Over für ein Jingle", "Talk-Over for one Jingle"},
    {false, true, true, true, false, "Sound/Song pausieren (mit L-Klick forsetzen)",
     "Sound/Song pause (L-Click to continue)"},
    {false, false, true, false, true, "Fade-Out und stopp Sound/Song", "Fade-Out and stopp Sound/Song"},
    {false, true, false, false, true, "Nachfolgender Track (nur bei Playlisten)",
     "Next Track (only if Playlist is loaded)"},
    {true, false, false, false, true, "Talk-Over Start / Stop", "Talk-Over Start / Stop"},
    {true, true, false, false, true, "Knopfbelegung löschen", "Delete allocated Sound/Playlist"},
}};

constexpr std::string_view TopBorder = " +---------------------+-------+----------------------------------------------+";
constexpr std::string_view RowBorder = " +-------+-------+-----+---+---+----------------------------------------------+";
constexpr int FunctionWidth = 46;

// Characters, not bytes: the umlauts take two bytes each.
std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

std::string Mark(bool set, int width) {
    std::string cell(static_cast<std::size_t>(width), ' ');
    if (set) cell[static_cast<std::size_t>(width / 2)] = 'X';
    return cell;
}

std::string FunctionCell(std::string_view text) {
    std::string cell = " " + std::string(text);
    cell.append(static_cast<std::size_t>(FunctionWidth) - CharacterCount(cell), ' ');
    return cell;
}

std::string TableRow(const Binding& row, bool german) {
    return " |" + Mark(row.shift, 7) + "|" + Mark(row.ctrl, 7) + "|" + Mark(row.alt, 5) + "|" + Mark(row.left, 3) +
           "|" + Mark(row.right, 3) + "|" + FunctionCell(german ? row.german : row.english) + "|";
}

class HelpText {
public:
    void line(std::string_view text) {
        m_text += text;
        m_text += "\r\n";
    }
    void rule(int width) { line(std::string(static_cast<std::size_t>(width), '-')); }

    void table(bool german) {
        const std::string_view columns = german ? " | Shift | Ctrl  | Alt | L | R | FUNKTION                                     |"
                                                : " | Shift | Ctrl  | Alt | L | R | FUNCTION                                     |";
        line(TopBorder);
        line(german ? " |       Tastatur      | Maus  |                                              |"
                    : " |       Keyboard      | Mouse |                                              |");
        line(RowBorder);
        line(columns);
        line(RowBorder);
        for (const Binding& row : Bindings) {
            line(TableRow(row, german));
            line(RowBorder);
        }
        line(columns);
        line(RowBorder);
    }

    void german() {
        line("Die Kl. Maschine hat 15 und die Gr. Maschine hat 75 Knöpfe die mit");
        line("*.WAV, *.WMA, *.MP3, *.RMI oder *.MID-Dateien belegt werden können.");
        line(" ");
        line("Die Belegung wird per Drag & Drop vorgenommen. Es können mehrere Songs gleichzeitig auf einen Knopf "
             "gezogen werden (Playlist).");
        line("Belegte Knöpfe sind Grün, unbelegte sind Schwarz.");
        line("Die TIP-Beschriftung wird von den Dateinamen übernommen, wobei _ (underscore)");
        line("in Leerschläge umgewandelt werden.");
        rule(RuleWidth);
        table(true);
        line(" ");
        line("Ein Klick auf das Z im Logo zeigt alle Sounds und Songs als Liste.");
        line("Doppel-Klick started den Sound/Song - Obere Knöpfe links = STOP und Fade-Out");
        line(" ");
        rule(RuleWidth);
        line("ESC = Panik- bzw. Bosstaste");
        rule(RuleWidth);
    }

    void english() {
        line("The small device has 15 and the large device has 75 buttons which can be overlayed with *.WAV, *.WMA, "
             "*.MP3, *.RMI or *.MID-files.");
        line(" ");
        line("The files are simply allocated by Drag & Drop. You may drag more than one song onto a button (Playlist).");
        line("Overlayed buttons are green, all others are black.");
        rule(RuleWidth);
        table(false);
        line(" ");
        line("A click on the Z of the logo shows all loaded sounds and songs as a list.");
        line("Double-Click starts sound/song - Top left buttons are for STOP and Fade-Out. ");
        line("The TOOL-Tip contains the filename; _ (underscore) will be replaced with a space.");
        rule(WideRuleWidth);
        line("ESC = Panic- / Bosskey");
        rule(WideRuleWidth);
    }

    std::string take() { return std::move(m_text); }

private:
    std::string m_text;
};

gdi::Picture Asset(const char* file) { return gdi::loadPicture(platform::assetPath(file)); }

}  // namespace

// Never destroyed, like the main window: Qt's globals go first at exit.
Form1& Form1::instance() {
    static Form1* window = made = new Form1;
    return *window;
}

void UnloadHelpWindow() {
    if (made) made->Unload();
}

forms::Form& HelpWindow() {
    Form1& window = Form1::instance();
    window.Load();
    return window;
}

Form1::Form1() { design(); }

void Form1::design() {
    setClientSize(designWidth, designHeight);
    Move(DesignLeft, DesignTop);
    setCaption("Zirpomat Hilfe");
    setShowInTaskbar(false);
    setKeyPreview(true);
    setBackColor(Charcoal);
    setPicture(Asset("artwork/help.bmp"));
    setIcon(Asset("icons/help.bmp"));

    Text1.Move(8, 8, 585, 409);
    Text1.setFontName("Courier New");
    Text1.setFontSize(8.25f);
    Text1.setBackColor(TextBack);
    Text1.setForeColor(SystemWindowColor);
    Text1.onDblClick = [this] { Text1_DblClick(); };

    Image1.Move(264, 420, 32, 24);
    Image1.setStretch(true);
    Image1.setPicture(Asset("icons/flag_de.bmp"));
    Image1.onClick = [this] { Image1_Click(); };
    Image2.Move(312, 420, 32, 24);
    Image2.setStretch(true);
    Image2.setPicture(Asset("icons/flag_uk.bmp"));
    Image2.onClick = [this] { Image2_Click(); };

    Label2.Move(544, 424, 41, 17);
    Label2.setBackStyle(forms::vbTransparent);
    Label2.onClick = [this] { Label2_Click(); };
}

void Form1::loadHelp(std::string_view code) {
    HelpText text;
    text.line("Zirpomat Version " + std::to_string(VersionMajor) + "." + std::to_string(VersionMinor));
    text.rule(RuleWidth);
    if (platform::text::equalNoCase(code, "DE")) {
        text.german();
    } else if (platform::text::equalNoCase(code, "EN")) {
        text.english();
    }
    hlpstr = text.take();
    Text1.setText(hlpstr);
}

void Form1::Form_Load() {
    loadHelp(Zpm.sLang == "de" ? "DE" : "EN");
    ResizeForm(*this, 9000, false);
}

void Form1::Form_KeyPress(int& KeyAscii) {
    if (KeyAscii == KeyEscape) Label2_Click();
}

void Form1::Form_DblClick() { HideAndUnload(); }

void Form1::Form_MouseDown(const forms::MouseEvent&) {
    forms::ReleaseCapture();
    forms::SendMessage(hWnd(), forms::WM_NCLBUTTONDOWN, forms::HTCAPTION, 0);
}

void Form1::Image1_Click() { loadHelp("DE"); }
void Form1::Image2_Click() { loadHelp("EN"); }

void Form1::Label2_Click() { HideAndUnload(); }

void Form1::HideAndUnload() {
    Hide();
    Unload();
}

void Form1::Text1_DblClick() { Unload(); }
