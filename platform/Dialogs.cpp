#include "platform/Dialogs.h"

#include "platform/FontColorDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
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
        // A plain question, as the program's confirmations are: no icon.
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    QString SaveFileName(QWidget *parent, const QString &proposedName, const QString &filter,
                         const QString &defaultSuffix, const QString &title) override
    {
        QFileDialog dialog(parent);
        if (!title.isEmpty())
            dialog.setWindowTitle(title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The callers ask their own overwrite question, worded their way.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setNameFilter(filter);
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.selectFile(proposedName);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        const QStringList files = dialog.selectedFiles();
        return files.isEmpty() ? QString() : files.constFirst();
    }

    QString OpenFileName(QWidget *parent, const QString &proposedPath, const QString &filter) override
    {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(filter);
        if (!proposedPath.isEmpty())
            dialog.selectFile(proposedPath);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        const QStringList files = dialog.selectedFiles();
        return files.isEmpty() ? QString() : QFileInfo(files.constFirst()).absoluteFilePath();
    }

    bool ChooseFont(QWidget *parent, TFontChoice &choice) override
    {
        TFontColorDialog dialog(choice, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        choice = dialog.Choice();
        return true;
    }

    bool ChooseColor(QWidget *parent, QColor &color) override
    {
        const QColor chosen = QColorDialog::getColor(color, parent);
        if (!chosen.isValid())
            return false;
        color = chosen;
        return true;
    }

    bool SetUpPrinter(QWidget *parent, QPrinter &printer) override
    {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
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
