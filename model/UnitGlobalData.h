#pragma once

#include <QString>

class TTaskList;
class TUserInfo;

// The directory of the executable, with a trailing separator; every file
// of the program lives under it.
extern QString AppDir;
// Set by every change of task data; read and cleared by the save routine.
extern bool DataModified;
// Set when the user changes StayOnTop, which applies only at the next start.
extern bool StayOnTopChanged;

// Sets the globals in start-up order: AppDir and the flags, the settings
// object loaded from its file, the note cascade, the empty task list.
void CreateGlobals(const QString &appDir);
void DestroyGlobals();
bool GlobalsExist();

TUserInfo &UserInfo();
TTaskList &TaskList();
