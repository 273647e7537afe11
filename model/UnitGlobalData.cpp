#include "model/UnitGlobalData.h"

#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"

#include <memory>

QString AppDir;
bool DataModified = false;
bool StayOnTopChanged = false;

namespace {
std::unique_ptr<TUserInfo> GUserInfo;
std::unique_ptr<TTaskList> GTaskList;
} // namespace

void CreateGlobals(const QString &appDir)
{
    DestroyGlobals();
    AppDir = appDir;
    DataModified = false;
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
