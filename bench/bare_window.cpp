// The baseline the start-up bench compares the program with: a bare Qt main
// window that prints a line once shown and closes, as --test-exit-after 0 does.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle("bare");
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        std::printf("%s\n", qPrintable(window.windowTitle()));
        std::fflush(stdout);
        window.close();
    });
    return QApplication::exec();
}
