// Writes the seed inputs of the fuzz targets with the program's own writers:
// data files as the save routine makes them and settings files as
// TUserInfo saves them, plus a settings file edited by hand. The seeds are
// committed (fuzz/corpus); run this again only to renew them:
//   build-fuzz/fuzz/make_seeds fuzz/corpus
#include "base/Clock.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <cstdio>

namespace {
bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

bool WriteDataFiles(const QString &folder)
{
    TUserInfo settings;
    bool ok = true;
    {
        TTaskList empty(settings);
        ok &= Write(folder + QStringLiteral("/empty.dat"), empty.SaveToBytes());
    }
    {
        TTaskList one(settings);
        one.AddNewTask();
        ok &= Write(folder + QStringLiteral("/new-note.dat"), one.SaveToBytes());
    }
    {
        // What a few days of use leave: texts in UTF-8 and in the Windows
        // program's code page, dates, a reminder, finished and open notes.
        TTaskList list(settings);
        TTask *shopping = list.AddNewTask();
        shopping->Text = "Shopping\r\n- milk\r\n- bread\r\n\xE2\x82\xAC 12";
        shopping->NoteOpen = true;
        shopping->DueDate = EncodeDate(2024, 3, 16);
        shopping->ReminderTime = EncodeDate(2024, 3, 16) + EncodeTime(9, 30);
        TTask *call = list.AddNewTask();
        call->Text = "\r\n  Call \xE9milie about the \x80 invoice";
        call->FontName = "Arial";
        call->FontBold = true;
        call->Priority = TTask::PriorityHigh;
        call->RolledUp = true;
        TTask *done = list.AddNewTask();
        done->Text = "Tax return";
        done->Finished = true;
        done->Priority = TTask::PriorityLow;
        done->Left = TTask::NoPosition;
        list.AddNewTask()->Text.clear();
        ok &= Write(folder + QStringLiteral("/four-notes.dat"), list.SaveToBytes());
    }
    return ok;
}

bool WriteSettingsFiles(const QString &folder)
{
    bool ok = true;
    const auto save = [&ok, &folder](const QString &name, const std::function<void(TUserInfo &)> &change) {
        QFile::remove(folder + QStringLiteral("/Jotterbox.ini"));
        TUserInfo settings(folder + u'/');
        settings.SoundFileName = QStringLiteral("/home/me/Jotterbox/notify.wav"); // not this machine's folder
        change(settings);
        settings.SaveSettings();
        QFile::remove(folder + u'/' + name);
        ok &= QFile::rename(folder + QStringLiteral("/Jotterbox.ini"), folder + u'/' + name);
    };
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    save(QStringLiteral("defaults.ini"), [](TUserInfo &) {});
    save(QStringLiteral("changed.ini"), [](TUserInfo &s) {
        s.DebugMode = true;
        s.StayOnTop = false;
        s.DefaultFontName = QStringLiteral("Times New Roman");
        s.SoundFileName = QStringLiteral("/home/me/sounds/ding dong.wav");
        s.SkinDirectoryName = QStringLiteral("2");
        s.AutoReminder = true;
        s.AutoReminderTime = EncodeTime(17, 45, 30, 250);
        s.LastBackup = EncodeDate(2024, 3, 14) + EncodeTime(23, 59, 59);
        s.Color = qint32(0xFFFFFFFF);
        s.SortAscending = false;
    });
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    save(QStringLiteral("german.ini"), [](TUserInfo &s) {
        s.AutoReminderTime = EncodeTime(8, 5);
        s.LastBackup = EncodeDate(2024, 12, 31);
    });
    // As a user might leave it after editing it by hand.
    ok &= Write(folder + QStringLiteral("/hand-edited.ini"), "\xEF\xBB\xBF; my settings\n"
                                                             "[installation]\n"
                                                             "  version = 1.03 \n"
                                                             "[User Interface]\n"
                                                             "Left=$10\n"
                                                             "Top=0x20 ; not a comment\n"
                                                             "Height=-5\n"
                                                             "DefaultFontName=\"Comic Sans MS\"\n"
                                                             "SoundFileName='/tmp/a b.wav'\n"
                                                             "StayOnTop=1\n"
                                                             "stayontop=0\n"
                                                             "\n"
                                                             "[Data]\r\n"
                                                             "AutoReminderTime=9:30\r\n"
                                                             "LastBackup=2024-03-14T08:00:00\r\n"
                                                             "[User Interface]\n"
                                                             "ShowTips=0\n");
    return ok;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds CORPUS-FOLDER\n");
        return 2;
    }
    TClock::Set(QDateTime(QDate(2024, 3, 15), QTime(9, 30)));
    const QString corpus = QString::fromLocal8Bit(argv[1]);
    const QString data = corpus + QStringLiteral("/datafile");
    const QString settings = corpus + QStringLiteral("/settings");
    if (!QDir().mkpath(data) || !QDir().mkpath(settings))
        return 1;
    return WriteDataFiles(data) && WriteSettingsFiles(settings) ? 0 : 1;
}
