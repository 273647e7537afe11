#include "platform/SaveText.h"

#include "base/JbxError.h"
#include "base/SafeFile.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>

bool SaveTextFileAs(QWidget *parent, const QString &proposedName, const QString &title,
                    const std::function<QByteArray()> &bytes)
{
    const QString path = Dialogs().SaveFileName(parent, proposedName,
                                                QCoreApplication::translate("SaveText", "Text Files (*.txt)"),
                                                QStringLiteral("txt"), title);
    if (path.isEmpty())
        return false;
    if (QFileInfo::exists(path) &&
        !Dialogs().YesNo(QCoreApplication::translate("SaveText", "Confirmation"),
                         QCoreApplication::translate(
                             "SaveText", "File already exists. Are you sure you want to overwrite it?")))
        return false;
    // Written whole or not at all: a full disk leaves the old file as it was.
    const TSafeWrite result = WriteFileSafely(path, bytes(), false);
    if (result == TSafeWrite::CannotCreate)
        Dialogs().ErrorBox(JbxMessages::CannotCreateFile(path));
    else if (result == TSafeWrite::WriteFailed)
        Dialogs().ErrorBox(JbxMessages::UnableToWrite(path));
    return result == TSafeWrite::Done;
}
