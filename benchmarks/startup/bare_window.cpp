// The least a Qt program does to show a window of the machine's size: the
// application object and one frameless window. Runs until it is ended.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("Bare reference"));
    window.resize(306, 151);
    window.show();
    return QApplication::exec();
}
