// The floor of the note windows' start-up: the least a Qt program does to
// show N frameless windows, each holding a plain text editor with a note's
// text in the notes' default font. It says so on stderr as the program
// does: "notes shown" in the pass after the last window was first exposed
// (each has drawn itself by then), then "idle"; then waits to be ended.
//
//   floor_notes [N]

#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

void Say(const char *line)
{
    std::fprintf(stderr, "jbx.events: %s\n", line);
    std::fflush(stderr);
}

class TExposeCount : public QObject {
public:
    explicit TExposeCount(int windows) : FLeft(windows) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            if (--FLeft == 0)
                QTimer::singleShot(0, [] {
                    Say("notes shown");
                    Say("idle");
                });
        }
        return false;
    }

private:
    int FLeft;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPointSize(11);
    TExposeCount exposed(count);
    std::vector<std::unique_ptr<QPlainTextEdit>> windows;
    for (int i = 0; i < count; ++i) {
        auto window = std::make_unique<QPlainTextEdit>();
        window->setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
        window->setFont(font);
        window->setPlainText(
            QStringLiteral("Task %1\nCall the office about the order\nand the invoice").arg(i));
        window->setGeometry(40 + 60 * i, 40 + 30 * i, 250, 200);
        window->show();
        window->windowHandle()->installEventFilter(&exposed);
        windows.push_back(std::move(window));
    }
    return QApplication::exec();
}
