// The floor of the note windows' start-up: the least a Qt program does to
// show N frameless windows, each holding a plain text editor with a note's
// text in the notes' default font, before its first event-loop pass. It
// says so on stderr as the program does, then waits to be ended.
//
//   floor_notes [N]

#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPointSize(11);
    std::vector<std::unique_ptr<QPlainTextEdit>> windows;
    for (int i = 0; i < count; ++i) {
        auto window = std::make_unique<QPlainTextEdit>();
        window->setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
        window->setFont(font);
        window->setPlainText(
            QStringLiteral("Task %1\nCall the office about the order\nand the invoice").arg(i));
        window->setGeometry(40 + 60 * i, 40 + 30 * i, 250, 200);
        window->show();
        windows.push_back(std::move(window));
    }
    QTimer::singleShot(0, [] {
        std::fputs("jbx.events: idle\n", stderr);
        std::fflush(stderr);
    });
    return QApplication::exec();
}
