#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QWidget;

// Saves bytes as a text file the user names: the save dialog for text
// files, the overwrite question for a file that exists, then a write that
// leaves an old file whole when it fails. A failure is told in the error
// box. False when nothing was written.
bool SaveTextFileAs(QWidget *parent, const QString &proposedName, const QString &title,
                    const std::function<QByteArray()> &bytes);
