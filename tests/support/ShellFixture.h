#pragma once

// Stand-ins for the user-facing layers, so the shell's decisions can be
// checked without a desktop: scripted message boxes, a counted sound, note
// windows that only mark their task open, and a recorder of the messages
// sent to notes.

#include "model/TTask.h"
#include "notes/NoteWindows.h"
#include "notes/TaskSheetMessage.h"
#include "platform/Dialogs.h"
#include "platform/Sound.h"

#include <QList>
#include <QPair>
#include <QStringList>

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
    bool YesNo(const QString &caption, const QString &text) override
    {
        Questions << caption + u'|' + text;
        return Answers.isEmpty() ? false : Answers.takeFirst();
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
