#include "platform/Dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <cstdio>
#include <vector>

namespace {

// Every error also goes to stderr: a box may go unseen (no desktop, a
// tray-only session), and the terminal or journal keeps the record. True
// when there is an application to show boxes in.
bool Record(const QString &message)
{
    std::fprintf(stderr, "Jotterbox: %s\n", qPrintable(message));
    std::fflush(stderr);
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

class TQtDialogs final : public TDialogs {
public:
    void ErrorBox(const QString &message) override
    {
        if (!Record(message))
            return;
        // A failing save retries every minute: one box per distinct message
        // is enough, not a new one each time.
        for (const QPointer<QMessageBox> &open : FOpen)
            if (open && open->text() == message)
                return;
        auto *box =
            new QMessageBox(QMessageBox::Critical, QStringLiteral("Jotterbox"), message, QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        std::erase_if(FOpen, [](const QPointer<QMessageBox> &open) { return open.isNull(); });
        FOpen.emplace_back(box);
        box->show();
        box->raise();
        box->activateWindow();
    }

    void ErrorBoxAndWait(const QString &message) override
    {
        if (Record(message))
            QMessageBox::critical(nullptr, QStringLiteral("Jotterbox"), message);
    }

    bool YesNo(const QString &caption, const QString &text) override
    {
        return QMessageBox::question(nullptr, caption, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }

private:
    std::vector<QPointer<QMessageBox>> FOpen;
};

TDialogs *Installed = nullptr;

} // namespace

TDialogs &Dialogs()
{
    static TQtDialogs real;
    return Installed ? *Installed : real;
}

void SetDialogs(TDialogs *dialogs) { Installed = dialogs; }
