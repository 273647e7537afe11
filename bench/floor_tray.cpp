// The floor of the start-up measurement: the least a Qt program with a tray
// icon and a menu does before its first event-loop pass. It says so on
// stderr as the program does, then waits to be ended.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::yellow);
    QMenu menu;
    menu.addAction(QStringLiteral("E&xit"), &app, &QCoreApplication::quit);
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.setToolTip(QStringLiteral("floor"));
    tray.setContextMenu(&menu);
    tray.show();
    QTimer::singleShot(0, [] {
        std::fputs("jbx.events: idle\n", stderr);
        std::fflush(stderr);
    });
    return QApplication::exec();
}
