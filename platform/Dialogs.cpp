#include "platform/Dialogs.h"

#include "platform/FontColorDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <algorithm>
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

// The window a box or dialog belongs to, so that it opens above it: the
// modal dialog that is up (while it runs every other window is blocked, a
// box of no one's included), else the window that asked, else the active
// one.
QWidget *Owner(QWidget *asker)
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (asker)
        return asker->window();
    return QApplication::activeWindow();
}

// A box must stand above every always-on-top note, not only above its
// owner: it stays on top while any window of the program on screen does.
// (The setting may have changed since the windows were made; what counts
// is what the screen shows.) Called last before the showing: a change of
// modality sets a box's flags anew.
void KeepOnTop(QWidget *dialog)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    const bool onTop = std::any_of(windows.cbegin(), windows.cend(), [dialog](const QWidget *window) {
        return window != dialog && window->isVisible() && window->windowType() != Qt::Popup &&
               window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    });
    if (onTop)
        dialog->setWindowFlags(dialog->windowFlags() | Qt::WindowStaysOnTopHint);
}

// Waits for the box's answer, then deletes it (unless its owner went
// first and took it along).
int Answer(QMessageBox *box)
{
    KeepOnTop(box);
    const QPointer<QMessageBox> alive(box);
    const int answer = box->exec();
    delete alive.data();
    return answer;
}

// Shows a box the program goes on past, above the others and focused.
void ShowInFront(QWidget *box)
{
    KeepOnTop(box);
    box->show();
    box->raise();
    box->activateWindow();
}

QMessageBox *NewBox(QMessageBox::Icon icon, const QString &caption, const QString &text,
                    QMessageBox::StandardButtons buttons, QWidget *owner)
{
    return new QMessageBox(icon, caption, text, buttons, owner);
}

class TQtDialogs final : public TDialogs {
public:
    void ErrorBox(const QString &message) override { ShowError(message, true); }

    void ErrorBoxUnasked(const QString &message) override { ShowError(message, false); }

    void ShowError(const QString &message, bool takeFocus)
    {
        if (!Record(message))
            return;
        // A failing save retries every minute: one box per distinct message
        // is enough, not a new one each time.
        for (const QPointer<QMessageBox> &open : FOpen)
            if (open && open->text() == message)
                return;
        // Owned only by a modal dialog that would block it: a note closes
        // for good, and would take a box it owned along unread.
        QMessageBox *box = NewBox(QMessageBox::Critical, QCoreApplication::translate("Dialogs", "Jotterbox"),
                                  message, QMessageBox::Ok, QApplication::activeModalWidget());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        std::erase_if(FOpen, [](const QPointer<QMessageBox> &open) { return open.isNull(); });
        FOpen.emplace_back(box);
        if (takeFocus) {
            ShowInFront(box);
            return;
        }
        box->setAttribute(Qt::WA_ShowWithoutActivating);
        KeepOnTop(box);
        box->show();
        box->raise();
    }

    void ErrorBoxAndWait(const QString &message) override
    {
        if (!Record(message))
            return;
        Answer(NewBox(QMessageBox::Critical, QCoreApplication::translate("Dialogs", "Jotterbox"), message,
                      QMessageBox::Ok, Owner(nullptr)));
    }

    bool YesNo(const QString &caption, const QString &text) override
    {
        // A plain question, as the program's confirmations are: no icon.
        QMessageBox *box =
            NewBox(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, Owner(nullptr));
        box->setDefaultButton(QMessageBox::No);
        return Answer(box) == QMessageBox::Yes;
    }

    QString SaveFileName(QWidget *parent, const QString &proposedName, const QString &filter,
                         const QString &defaultSuffix, const QString &title) override
    {
        QFileDialog dialog(Owner(parent));
        KeepOnTop(&dialog);
        if (!title.isEmpty())
            dialog.setWindowTitle(title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The callers ask their own overwrite question, worded their way.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setNameFilter(filter);
        dialog.setDefaultSuffix(defaultSuffix);
        // A bare name is proposed in the folder of the last save, or at
        // first in the user's documents: the working folder of a program
        // started from a menu is no place of the user's.
        if (QFileInfo(proposedName).isRelative())
            dialog.setDirectory(SaveFolder());
        dialog.selectFile(proposedName);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty())
            return {};
        FLastSaveFolder = QFileInfo(files.constFirst()).absolutePath();
        return files.constFirst();
    }

    QString OpenFileName(QWidget *parent, const QString &proposedPath, const QString &filter) override
    {
        QFileDialog dialog(Owner(parent));
        KeepOnTop(&dialog);
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
        TFontColorDialog dialog(choice, Owner(parent));
        KeepOnTop(&dialog);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        choice = dialog.Choice();
        return true;
    }

    bool ChooseColor(QWidget *parent, QColor &color) override
    {
        QColorDialog dialog(color, Owner(parent));
        KeepOnTop(&dialog);
        if (dialog.exec() != QDialog::Accepted || !dialog.selectedColor().isValid())
            return false;
        color = dialog.selectedColor();
        return true;
    }

    bool SetUpPrinter(QWidget *parent, QPrinter &printer) override
    {
        QPrintDialog dialog(&printer, Owner(parent));
        KeepOnTop(&dialog);
        return dialog.exec() == QDialog::Accepted;
    }

private:
    std::vector<QPointer<QMessageBox>> FOpen;
    QString FLastSaveFolder;

    QString SaveFolder() const
    {
        if (!FLastSaveFolder.isEmpty() && QFileInfo(FLastSaveFolder).isDir())
            return FLastSaveFolder;
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
    }
};

TDialogs *Installed = nullptr;

} // namespace

TDialogs &Dialogs()
{
    static TQtDialogs real;
    return Installed ? *Installed : real;
}

void SetDialogs(TDialogs *dialogs) { Installed = dialogs; }
