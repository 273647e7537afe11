#include "app/TGuardedApplication.h"

#include "base/JbxError.h"
#include "model/UnitGlobalProc.h"
#include "platform/Dialogs.h"

#include <exception>

TGuardedApplication::TGuardedApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TGuardedApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EJbxError &error) {
        ReportEscaped(error.Message());
    } catch (const std::exception &error) {
        ReportEscaped(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ReportEscaped(QStringLiteral("An unknown error occurred."));
    }
    return false;
}

void TGuardedApplication::ReportEscaped(const QString &message)
{
    // The report must not throw in turn: it would end the program after all.
    try {
        WriteDebugLog(QStringLiteral("Unhandled error: ") + message);
        Dialogs().ErrorBox(message);
    } catch (...) {
    }
}
