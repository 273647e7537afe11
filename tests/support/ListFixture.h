#pragma once

// What the tests of the task list window stand on: fresh globals in a
// temporary program folder with the shipped skin, a fixed clock and locale,
// scripted message boxes and note windows that only mark their task open.

#include "base/Clock.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "support/FindChild.h"
#include "support/ShellFixture.h"
#include "support/TestSkins.h"
#include "tasklist/TFormTaskList.h"
#include "tasklist/TTaskListModel.h"
#include "tasklist/TTaskListView.h"
#include "tasklist/TaskOrder.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <QTableView>
#include <QTemporaryDir>
#include <memory>

class TListFixture {
public:
    static inline const QDateTime Now{QDate(2026, 3, 10), QTime(9, 0)};

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TScriptedDialogs> FDialogs;
    std::unique_ptr<TFakeNotes> FNotes;

    void SetUp()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        TClock::Set(Now);
        CreateGlobals(FDir->path() + u'/');
        InstallShippedSkin(FDir->path());
        FDialogs = std::make_unique<TScriptedDialogs>();
        FNotes = std::make_unique<TFakeNotes>();
    }

    void TearDown()
    {
        FNotes.reset();
        FDialogs.reset();
        DestroyGlobals();
        TClock::Reset();
        QLocale::setDefault(QLocale::c());
        FDir.reset();
    }

    static TTask *Add(const QByteArray &text, double due = 0, bool finished = false)
    {
        TTask *task = TaskList().AddNewTask();
        task->Text = text;
        task->DueDate = due;
        task->Finished = finished;
        return task;
    }

    // The window's rows.
    static TTaskListView *View(const TFormTaskList &list) { return Child<TTaskListView>(list, "ListView1"); }

    static QStringList Rows(const TFormTaskList &list)
    {
        QStringList rows;
        const TTaskListModel &model = *View(list)->Model();
        for (int row = 0; row < model.rowCount(); ++row)
            rows << model.CellText(row, ColumnSubject);
        return rows;
    }

    // The centre of a row's cell, in list coordinates.
    static QPoint Cell(const TFormTaskList &list, int row, int column)
    {
        const QTableView *view = View(list)->ReportView();
        return view->visualRect(View(list)->Model()->index(row, column)).center();
    }
};
