#include "runtime.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <QTranslator>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "forms_qt.h"
#include "window_host.h"

namespace forms {
namespace {

MessageHook messageHook;
std::string windowSystem;
int handlerDepth = 0;
std::vector<Form*> forms;

// The program's own title: the executable's name without extension.
QString programTitle() {
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("zirpomat") : name;
}

class QtWindowHost : public gdi::WindowHost {
public:
    bool setWindowShape(gdi::WindowHandle handle, const std::optional<std::vector<gdi::Rect>>& shape,
                        bool redraw) override {
        Form* form = formFromHandle(handle);
        QWidget* window = form ? widgetOf(*form) : nullptr;
        if (!window) return false;
        if (!shape) {
            window->clearMask();
        } else {
            QRegion region;
            for (const gdi::Rect& r : *shape) region += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
            window->setMask(region);
        }
        if (redraw) window->update();
        return true;
    }

    bool setClipboardBitmap(const gdi::Bitmap& bitmap) override {
        gdi::Picture copy(gdi::createBitmap(bitmap.width, bitmap.height));
        gdi::Bitmap* target = gdi::bitmapFromHandle(copy.handle());
        if (!target || target->bits.size() != bitmap.bits.size()) return false;
        target->bits = bitmap.bits;
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard) return false;
        clipboard->setImage(toImage(copy));
        return true;
    }

    void showMessage(std::string_view text) override { MsgBox(text, vbOKOnly); }
};

// Lives as long as the process: Qt's own globals go away at exit before
// the destructor of a static would run, so the application is never deleted.
struct Runtime {
    int argc = 1;
    std::string program = "zirpomat";
    std::string platformOption = "-platform";
    std::string platform = windowSystem;
    char* argv[4] = {program.data(), nullptr, nullptr, nullptr};
    QApplication* application = nullptr;
    QtWindowHost host;

    Runtime() {
        std::error_code error;
        const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error) program = self.string();
        argv[0] = program.data();
        if (!platform.empty()) {
            argv[argc++] = platformOption.data();
            argv[argc++] = platform.data();
        }
        if (!QCoreApplication::instance()) application = new QApplication(argc, argv);
        // The program ends when its last window unloads, not when one is hidden.
        QApplication::setQuitOnLastWindowClosed(false);
        if (!gdi::windowHost()) gdi::setWindowHost(&host);
    }
};

// A message box takes the keyboard focus when it shows, as every window does.
class MessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        takeFocusWhenShown(*this, *event);
    }
};

QMessageBox::StandardButtons buttonsFor(int style) {
    switch (style & 0x0F) {
        case vbOKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case vbAbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case vbYesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case vbYesNo: return QMessageBox::Yes | QMessageBox::No;
        case vbRetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
        default: return QMessageBox::Ok;
    }
}

QMessageBox::Icon iconFor(int style) {
    switch (style & 0x70) {
        case vbCritical: return QMessageBox::Critical;
        case vbQuestion: return QMessageBox::Question;
        case vbExclamation: return QMessageBox::Warning;
        case vbInformation: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

int resultFor(int clicked) {
    static const std::map<int, int> results{
        {QMessageBox::Ok, vbOK},       {QMessageBox::Cancel, vbCancel}, {QMessageBox::Abort, vbAbort},
        {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}, {QMessageBox::Yes, vbYes},
        {QMessageBox::No, vbNo}};
    const auto found = results.find(clicked);
    return found == results.end() ? vbCancel : found->second;
}

}  // namespace

void setWindowSystem(std::string name) { windowSystem = std::move(name); }

void takeFocusWhenShown(QWidget& window, const QShowEvent& event) {
    if (!event.spontaneous()) window.activateWindow();
}

void startRuntime() { [[maybe_unused]] static const Runtime* runtime = new Runtime; }

void DoEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

int ScreenWidth() {
    const QScreen* screen = QCoreApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->geometry().width() * twipsPerPixel : 0;
}

int ScreenHeight() {
    const QScreen* screen = QCoreApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->geometry().height() * twipsPerPixel : 0;
}

ScreenArea AvailableArea(const Form& window) {
    if (!QCoreApplication::instance()) return {};
    const QWidget* widget = widgetOf(window);
    const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QRect area = screen->availableGeometry();
    return {area.x() * twipsPerPixel, area.y() * twipsPerPixel, area.width() * twipsPerPixel,
            area.height() * twipsPerPixel};
}

// Qt's own translation of its texts, from Qt's translations folder; a
// missing file leaves them English.
void setGermanStandardButtons(bool german) {
    startRuntime();
    // Owned by the application, which lives as long as the process.
    static QTranslator* const translation = [] {
        auto* loaded = new QTranslator(QCoreApplication::instance());
        [[maybe_unused]] const bool found =
            loaded->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        return loaded;
    }();
    QCoreApplication::removeTranslator(translation);
    if (german) QCoreApplication::installTranslator(translation);
}

void setMessageHook(MessageHook hook) { messageHook = std::move(hook); }

int MsgBox(std::string_view prompt, int buttons, std::string_view title) {
    if (messageHook) return messageHook({std::string(prompt), buttons, std::string(title)});
    startRuntime();
    MessageBox box(iconFor(buttons), title.empty() ? programTitle() : qtext(title), qtext(prompt), buttonsFor(buttons));
    HandlerScope scope;  // a modal box runs events: windows replaced meanwhile must live on
    return resultFor(box.exec());
}

HandlerScope::HandlerScope() { ++handlerDepth; }

HandlerScope::~HandlerScope() {
    if (--handlerDepth == 0) freeRetiredWindows();
}

bool anyFormLoaded() {
    return std::any_of(forms.begin(), forms.end(), [](const Form* form) { return form->Loaded(); });
}

int Run() {
    startRuntime();
    if (!anyFormLoaded()) return 0;
    return QApplication::exec();
}

void End() {
    std::fflush(nullptr);
    std::_Exit(0);
}

void registerForm(Form& form) { forms.push_back(&form); }
void unregisterForm(Form& form) { std::erase(forms, &form); }

Form* formFromHandle(gdi::WindowHandle handle) {
    const auto found = std::find_if(forms.begin(), forms.end(), [&](Form* f) { return f->hWnd() == handle; });
    return found == forms.end() ? nullptr : *found;
}

void freeRetiredWindows() {
    for (Form* form : forms) {
        for (QPointer<QWidget>& window : form->impl().retired) {
            if (window) window->deleteLater();
        }
        form->impl().retired.clear();
    }
}

QImage toImage(const gdi::Picture& picture) {
    const gdi::Bitmap* bitmap = picture.bitmap();
    if (!bitmap) return {};
    QImage image(bitmap->width, bitmap->height, QImage::Format_BGR888);
    const std::size_t rowLength = static_cast<std::size_t>(bitmap->width) * 3;
    for (int y = 0; y < bitmap->height; ++y) {
        const auto* source = bitmap->bits.data() + static_cast<std::size_t>(bitmap->height - 1 - y) * bitmap->stride;
        std::copy_n(source, rowLength, image.scanLine(y));
    }
    return image;
}

int shiftBits(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? vbShiftMask : 0) | (modifiers & Qt::ControlModifier ? vbCtrlMask : 0) |
           (modifiers & Qt::AltModifier ? vbAltMask : 0);
}

MouseEvent mouseEventFrom(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF position) {
    const int bit = button == Qt::LeftButton     ? vbLeftButton
                    : button == Qt::RightButton  ? vbRightButton
                    : button == Qt::MiddleButton ? vbMiddleButton
                                                 : 0;
    return {bit, shiftBits(modifiers), static_cast<float>(position.x()), static_cast<float>(position.y())};
}

}  // namespace forms
