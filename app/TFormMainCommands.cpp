// The main window's commands and the tray menu that offers them.
#include "app/TFormMain.h"

#include "app/TSyncRunner.h"
#include "base/EventLog.h"
#include "dialogs/TFormAbout.h"
#include "dialogs/TFormOptions.h"
#include "dialogs/TFormTip.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/TKeyring.h"
#include "platform/TTrayIcon.h"
#include "settings/TUserInfo.h"
#include "tasklist/TFormTaskList.h"
#include "toolbar/TFormToolBar.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QUrl>

namespace {
constexpr int RebuildAtOnce = 10; // ms: the list catches up with the new settings

// An action under its design name, by which tests find it.
QAction *NewAction(QObject *owner, const char *name, const QString &caption, const QKeySequence &keys = {})
{
    auto *action = new QAction(caption, owner);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    return action;
}
} // namespace

void TFormMain::BuildCommands()
{
    const auto ctrlAlt = Qt::CTRL | Qt::ALT;
    NewNote1 = NewAction(this, "NewNote1", tr("New &Note"), QKeySequence(ctrlAlt | Qt::Key_N));
    Exit1 = NewAction(this, "Exit1", tr("E&xit"));
    ActionShowList = NewAction(this, "ActionShowList", tr("Show &List"), QKeySequence(ctrlAlt | Qt::Key_L));
    ActionShowToolbar = NewAction(this, "ActionShowToolbar", tr("Show Toolbar"));
    ActionOptions = NewAction(this, "ActionOptions", tr("&Options..."));
    ActionAbout = NewAction(this, "ActionAbout", tr("&About Jotterbox..."));
    ActionHelp = NewAction(this, "ActionHelp", tr("Jotterbox &Help"), QKeySequence(Qt::Key_F1));
    ActionPrintList = NewAction(this, "ActionPrintList", tr("Print List..."));
    ActionExportList = NewAction(this, "ActionExportList", tr("Export List..."));
    ActionSyncNow = NewAction(this, "ActionSyncNow", tr("Sync Now"));
    connect(ActionSyncNow, &QAction::triggered, Sync, &TSyncRunner::SyncNow);

    connect(NewNote1, &QAction::triggered, this, &TFormMain::NewNoteRequested);
    connect(Exit1, &QAction::triggered, this, &TFormMain::Exit1Click);
    connect(ActionShowList, &QAction::triggered, this, &TFormMain::ActionShowListExecute);
    connect(ActionShowToolbar, &QAction::triggered, this, &TFormMain::ActionShowToolbarExecute);
    connect(ActionOptions, &QAction::triggered, this, &TFormMain::ActionOptionsExecute);
    connect(ActionAbout, &QAction::triggered, this, &TFormMain::ActionAboutExecute);
    connect(ActionHelp, &QAction::triggered, this, &TFormMain::ActionHelpExecute);
    connect(ActionPrintList, &QAction::triggered, this, [this] {
        if (FTaskList)
            FTaskList->PrintList();
    });
    connect(ActionExportList, &QAction::triggered, this, [this] {
        if (FTaskList)
            FTaskList->ExportList();
    });

    // Every window offers the keys it leaves unused to these commands.
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

void TFormMain::BuildTrayMenu()
{
    PMTray->setObjectName(QStringLiteral("PMTray"));
    PMTray->addAction(NewNote1);
    PMTray->addSeparator();
    PMTray->addAction(ActionShowList);
    PMTray->setDefaultAction(ActionShowList); // drawn bold
    PMTray->addAction(ActionShowToolbar);
    PMTray->addSeparator();
    PMTray->addAction(ActionOptions);
    PMTray->addAction(ActionAbout);
    PMTray->addAction(Exit1);
    connect(PMTray, &QMenu::aboutToShow, this, [this] {
        ActionShowListUpdate();
        ActionShowToolbarUpdate();
        qCInfo(lcJbxEvents, "tray menu");
    });
}

void TFormMain::SetTaskList(TFormTaskList *list)
{
    FTaskList = list;
    FCommands.ActionShowList = ActionShowList;
    FCommands.ActionPrintList = ActionPrintList;
    FCommands.ActionExportList = ActionExportList;
    FCommands.ActionSyncNow = ActionSyncNow;
    list->SetCommands(&FCommands);
    connect(list, &TFormTaskList::ShowingChanged, this, &TFormMain::ActionShowListUpdate);
    connect(list, &TFormTaskList::HelpRequested, ActionHelp, &QAction::trigger);
    connect(this, &TFormMain::NewNoteRequested, list, &TFormTaskList::ActionAddNewNoteExecute);
    // Notes opened from the tray: the list catches up at its next rebuild,
    // without putting off one already on its way.
    connect(this, &TFormMain::TasksChanged, list, &TFormTaskList::RequestRebuild);
    ActionShowListUpdate();
}

void TFormMain::SetToolBar(TFormToolBar *toolBar)
{
    FToolBar = toolBar;
    StandToolBarInForTray(toolBar, false);
    connect(toolBar, &TFormToolBar::AlertDblClick, this, &TFormMain::OpenWaitingNotes);
    FCommands.ActionShowToolbar = ActionShowToolbar;
    toolBar->SetCommands(&FCommands);
    ActionShowToolbarUpdate();
}

void TFormMain::StandToolBarInForTray(TFormToolBar *toolBar, bool running)
{
    // With no tray the toolbar is all there is of the program on screen:
    // it stays up and carries what only the tray menu offered.
    ActionShowToolbar->setVisible(TrayAvailable);
    if (!TrayAvailable) {
        toolBar->StandInForTray({ActionAbout, Exit1});
        if (running)
            toolBar->show();
        // An alert found at the start, before the toolbar was made.
        if (CoolTrayIcon1->CycleIcons()) {
            CoolTrayIcon1->SetCycleIcons(false);
            CoolTrayIcon1->SetIconIndex(0);
            CoolTrayIcon1->SetPopupMenu(PMTray);
            toolBar->SetAlert(true);
        }
    } else if (running) {
        // The tray is back: the toolbar shows as the user last left it.
        toolBar->StopStandingIn();
        if (!UserInfo().ShowToolBar)
            toolBar->hide();
    }
    ActionShowToolbarUpdate();
}

void TFormMain::SetDialogs(TFormOptions *options, TFormAbout *about, TFormTip *tip)
{
    FOptions = options;
    FAbout = about;
    FTip = tip;
    if (options) {
        FCommands.ActionOptions = ActionOptions;
        options->SetSync(Sync->Status(), Keyring, &FCommands);
        // A new password is in the keyring only after the dialog closed:
        // the round that takes up the new settings waits for it.
        connect(options, &TFormOptions::SyncPasswordStored, Sync, &TSyncRunner::Start);
        connect(options, &TFormOptions::HelpRequested, ActionHelp, &QAction::trigger);
    }
    if (about)
        connect(about, &TFormAbout::HelpRequested, ActionHelp, &QAction::trigger);
}

void TFormMain::ActionShowListExecute()
{
    if (!FTaskList)
        return;
    if (FTaskList->IsReady())
        FTaskList->close();
    else
        FTaskList->ShowExpanded();
}

void TFormMain::ActionShowListUpdate()
{
    const bool up = FTaskList && FTaskList->IsReady();
    ActionShowList->setText(up ? tr("Hide &List") : tr("Show &List"));
}

void TFormMain::ActionShowToolbarExecute()
{
    if (!FToolBar || !TrayAvailable)
        return;
    // Hidden this way the toolbar keeps ShowToolBar: it is back at the next start.
    if (FToolBar->isVisible())
        FToolBar->hide();
    else
        FToolBar->show();
}

void TFormMain::ActionShowToolbarUpdate()
{
    const bool up = FToolBar && FToolBar->isVisible();
    ActionShowToolbar->setText(up ? tr("Hide Toolbar") : tr("Show Toolbar"));
}

void TFormMain::ActionOptionsExecute()
{
    if (!FOptions)
        return;
    // Asked again while it is open (from another menu, or by a command):
    // the open dialog comes to the front.
    if (FOptions->isVisible()) {
        FOptions->raise();
        FOptions->activateWindow();
        return;
    }
    const bool accepted = FOptions->exec() == QDialog::Accepted;
    // The program was ended meanwhile (the tray's Exit, the session): no
    // more boxes that would hold up its end.
    if (FCanExit)
        return;
    if (accepted)
        Sync->Start(); // the server, the interval or the switch may have changed
    if (accepted && FTaskList) {
        FTaskList->ApplyDueDateColumn();
        // The view as the settings say, without the re-sort of a view switch.
        FTaskList->ApplyViewStyle(false);
        FTaskList->RestartUpdateTimer(RebuildAtOnce);
    }
    if (accepted && StayOnTopChanged &&
        Dialogs().YesNo(tr("Confirmation"),
                        tr("You have changed the setting of \"Stay on top of all windows\" for "
                           "Jotterbox. This will not take effect until you restart the "
                           "program. Would you like to restart Jotterbox now?"))) {
        // The restarter waits for this instance to end; if it cannot be
        // started the program ends all the same, as the user asked.
        if (!StartProgramDetached(AppDir + QStringLiteral("startjbx")))
            WriteDebugLog(QStringLiteral("startjbx could not be started"));
        Exit1Click();
    }
    // A skin chosen in the dialog shows at once, even after Cancel.
    if (FTaskList) {
        FTaskList->LoadTitleSkin();
        FTaskList->LoadFrameSkin();
    }
}

void TFormMain::ActionAboutExecute()
{
    if (FAbout)
        FAbout->exec();
}

QString TFormMain::HelpSection() const
{
    // The window the user is in: the dialog that is up, else the active one.
    if (FOptions && FOptions->isVisible())
        return FOptions->SyncPageShown() ? QStringLiteral("sync") : QStringLiteral("options");
    if (FAbout && FAbout->isVisible())
        return QStringLiteral("tips");
    const QWidget *active = QApplication::activeWindow();
    if (!active || !active->isVisible())
        return {};
    if (active == FTaskList)
        return QStringLiteral("list");
    if (active == FToolBar)
        return QStringLiteral("toolbar");
    if (active->inherits("TFormNote"))
        return QStringLiteral("notes");
    return {};
}

void TFormMain::ActionHelpExecute()
{
    const QString shown = QDir::toNativeSeparators(FHelpFile);
    // The manual opens at the part about the window the user is in.
    const QString section = HelpSection();
    QUrl page = QUrl::fromLocalFile(FHelpFile);
    page.setFragment(section);
    if (!QFileInfo::exists(FHelpFile))
        Dialogs().ErrorBox(tr("The help file %1 was not found.").arg(shown));
    else if (!OpenWithDesktop(section.isEmpty() ? FHelpFile : page.toString()))
        Dialogs().ErrorBox(
            tr("The help file %1 could not be opened: no program to show it was found.").arg(shown));
}

void TFormMain::RunCommand(const QString &name)
{
    if (name == QLatin1String("new-note"))
        NewNote1->trigger();
    else if (name == QLatin1String("toggle-list"))
        ActionShowList->trigger();
    else if (name == QLatin1String("show-list"))
        ShowListCommand();
    else if (name == QLatin1String("options"))
        ActionOptions->trigger();
    else if (name == QLatin1String("sync-now"))
        ActionSyncNow->trigger();
    else if (name == QLatin1String("exit"))
        Exit1->trigger();
}

void TFormMain::ShowListCommand()
{
    if (!FTaskList)
        return;
    if (!FTaskList->IsReady()) {
        ActionShowList->trigger();
        return;
    }
    // Up but shrunk to its title: expanded as the title's double-click
    // does, to the height it had, and brought to the front.
    if (!UserInfo().V_Expanded)
        FTaskList->PanelTitleDblClick();
    FTaskList->raise();
    FTaskList->activateWindow();
}

bool TFormMain::OfferShortcut(const QKeyCombination &keys)
{
    const QKeySequence pressed(keys);
    for (QAction *action : {ActionShowList, ActionHelp}) {
        if (action->shortcut() != pressed || !action->isEnabled())
            continue;
        // Behind a modal dialog only help stays within reach.
        if (QApplication::activeModalWidget() && action != ActionHelp)
            return false;
        action->trigger();
        return true;
    }
    return false;
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        // A key reaches a window itself when its focused control left it
        // unused: then it is the program's to take. An open menu is the
        // user's business alone, and a held key acts once.
        auto *widget = qobject_cast<QWidget *>(watched);
        auto *key = static_cast<QKeyEvent *>(event);
        if (widget && widget->isWindow() && widget->windowType() != Qt::Popup && !key->isAutoRepeat() &&
            OfferShortcut(key->keyCombination()))
            return true;
        break;
    }
    case QEvent::Show:
    case QEvent::Hide:
        if (watched == FToolBar)
            ActionShowToolbarUpdate();
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
