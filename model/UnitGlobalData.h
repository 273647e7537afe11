#pragma once

#include <QString>
#include <functional>
#include <vector>

class TTaskList;
class TUserInfo;

// The directory of the executable, with a trailing separator; every file
// of the program lives under it.
extern QString AppDir;
// A flag that tells its watchers each time it is set, so that whatever acts
// on a change (the save, the reminder timer) waits for one instead of
// looking at the flag on a clock.
class TModifiedFlag {
public:
    TModifiedFlag() = default;
    TModifiedFlag(const TModifiedFlag &) = delete;
    TModifiedFlag &operator=(const TModifiedFlag &) = delete;

    // A change was made: set, and tell every watcher.
    void Mark();
    // The change is on disk: only the data store's save clears the flag.
    void Clear() { FValue = false; }
    operator bool() const { return FValue; }

    // `onSet` runs after every Mark, in the order watched.
    // Returns the id that Unwatch takes.
    int Watch(std::function<void()> onSet);
    void Unwatch(int id);

private:
    bool FValue = false;
    int FNextId = 0;
    std::vector<std::pair<int, std::function<void()>>> FWatchers;
};

// Marked by every change of task data (`DataModified.Mark()`, the one way a
// window reports an edit); read and cleared by the data store's save.
extern TModifiedFlag DataModified;
// Set when the user changes StayOnTop, which applies only at the next start.
extern bool StayOnTopChanged;

// Sets the globals in start-up order: AppDir and the flags, the settings
// object loaded from its file, the note cascade, the empty task list.
void CreateGlobals(const QString &appDir);
void DestroyGlobals();
bool GlobalsExist();

TUserInfo &UserInfo();
TTaskList &TaskList();
