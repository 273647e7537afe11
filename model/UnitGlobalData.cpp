#include "model/UnitGlobalData.h"

#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"

#include <algorithm>
#include <memory>

QString AppDir;
TModifiedFlag DataModified;
bool StayOnTopChanged = false;

void TModifiedFlag::Mark()
{
    FValue = true;
    // By copy, since a watcher may start or stop watching while it is told;
    // one that another watcher removed meanwhile is not told, since what it
    // would touch may be gone.
    const auto watchers = FWatchers;
    for (const auto &watcher : watchers) {
        const bool live = std::any_of(FWatchers.begin(), FWatchers.end(),
                                      [&watcher](const auto &w) { return w.first == watcher.first; });
        if (live)
            watcher.second();
    }
}

int TModifiedFlag::Watch(std::function<void()> onSet)
{
    FWatchers.emplace_back(++FNextId, std::move(onSet));
    return FNextId;
}

void TModifiedFlag::Unwatch(int id)
{
    std::erase_if(FWatchers, [id](const auto &watcher) { return watcher.first == id; });
}

namespace {
std::unique_ptr<TUserInfo> GUserInfo;
std::unique_ptr<TTaskList> GTaskList;
} // namespace

void CreateGlobals(const QString &appDir)
{
    DestroyGlobals();
    AppDir = appDir;
    DataModified.Clear();
    StayOnTopChanged = false;
    GUserInfo = std::make_unique<TUserInfo>(appDir);
    GUserInfo->LoadSettings();
    ResetCascade();
    GTaskList = std::make_unique<TTaskList>(*GUserInfo);
}

void DestroyGlobals()
{
    GTaskList.reset();
    GUserInfo.reset();
}

bool GlobalsExist() { return GUserInfo != nullptr; }

TUserInfo &UserInfo() { return *GUserInfo; }

TTaskList &TaskList() { return *GTaskList; }
