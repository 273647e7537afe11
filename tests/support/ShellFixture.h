#pragma once

// Stand-ins for the user-facing layers, so the shell's decisions can be
// checked without a desktop: scripted message boxes, a counted sound, note
// windows that only mark their task open, and a recorder of the messages
// sent to notes.

#include "model/TTask.h"
#include "notes/NoteWindows.h"
#include "notes/TaskSheetMessage.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

#include <QList>
#include <QPair>
#include <QPrinter>
#include <QStringList>
#include <functional>
#include <optional>

class TScriptedDialogs : public TDialogs {
public:
    TScriptedDialogs() { SetDialogs(this); }
    ~TScriptedDialogs() override { SetDialogs(nullptr); }

    QStringList Errors;       // every error box, in order
    QStringList WaitedErrors; // those the program waited on
    QList<bool> Answers;      // the answers to the next questions; No when empty
    QStringList Questions;

    void ErrorBox(const QString &message) override { Errors << message; }
    void ErrorBoxAndWait(const QString &message) override
    {
        Errors << message;
        WaitedErrors << message;
    }
    // What happens elsewhere while a question is up (its box runs events).
    std::function<void()> WhileAsking;
    bool YesNo(const QString &caption, const QString &text) override
    {
        Questions << caption + u'|' + text;
        if (WhileAsking)
            WhileAsking();
        return Answers.isEmpty() ? false : Answers.takeFirst();
    }

    // The path the save dialog returns; empty = cancelled.
    QString SavePath;
    QStringList SaveFilters;  // the filter of every save dialog shown
    QStringList SaveProposed; // the file name each proposed
    QStringList SaveTitles;
    QString SaveFileName(QWidget *, const QString &proposed, const QString &filter, const QString &,
                         const QString &title) override
    {
        SaveFilters << filter;
        SaveProposed << proposed;
        SaveTitles << title;
        return SavePath;
    }
    // The path the open dialog returns; empty = cancelled.
    QString OpenPath;
    QStringList OpenProposed; // the path each open dialog was preset with
    QStringList OpenFilters;
    QString OpenFileName(QWidget *, const QString &proposed, const QString &filter) override
    {
        OpenProposed << proposed;
        OpenFilters << filter;
        return OpenPath;
    }
    // What the font and colour choosers return; none = cancelled.
    std::optional<TFontChoice> FontAnswer;
    std::optional<TFontChoice> FontShown; // what the font chooser was given
    bool ChooseFont(QWidget *, TFontChoice &choice) override
    {
        FontShown = choice;
        if (!FontAnswer)
            return false;
        choice = *FontAnswer;
        return true;
    }
    std::optional<QColor> ColorAnswer;
    bool ChooseColor(QWidget *, QColor &color) override
    {
        if (!ColorAnswer)
            return false;
        color = *ColorAnswer;
        return true;
    }
    // The PDF file the print dialog sends the job to; empty = cancelled.
    QString PrintPdfPath;
    bool SetUpPrinter(QWidget *, QPrinter &printer) override
    {
        if (PrintPdfPath.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(PrintPdfPath);
        return true;
    }
};

class TCountedSound {
public:
    TCountedSound()
    {
        SetSoundPlayer([this](const QString &file) { Played << file; });
    }
    ~TCountedSound() { SetSoundPlayer({}); }
    QStringList Played;
};

// Note windows as far as the shell can see them: made for a task, they mark
// it open; they hear every message sent to notes.
class TFakeNotes : public TTaskSheetReceiver {
public:
    TFakeNotes()
    {
        SetNoteCreator([this](TTask *task) {
            Created << task;
            Log << QStringLiteral("create");
            task->NoteOpen = true;
        });
        AddTaskSheetReceiver(this);
    }
    ~TFakeNotes()
    {
        RemoveTaskSheetReceiver(this);
        SetNoteCreator({});
    }

    void TaskSheetMessage(int code, TTask *task) override
    {
        Messages << qMakePair(code, task);
        Log << QString::number(code);
    }

    QList<TTask *> Created;
    QList<QPair<int, TTask *>> Messages;
    QStringList Log; // "create", "0", "2" ... in the order they happened
};

// The desktop's shell as far as tests can see it: what was opened and what
// was started, with nothing opened or started.
class TRecordedShell {
public:
    TRecordedShell()
    {
        SetDesktopOpener([this](const QString &what) {
            Opened << what;
            return OpenSucceeds;
        });
        SetProgramStarter([this](const QString &program, const QStringList &) {
            Started << program;
            return StartSucceeds;
        });
    }
    ~TRecordedShell()
    {
        SetDesktopOpener({});
        SetProgramStarter({});
    }
    QStringList Opened;
    QStringList Started;
    bool OpenSucceeds = true;
    bool StartSucceeds = true;
};
