#pragma once

#include <QIcon>
#include <QList>

// The two pictures of the tray icon: 0 at rest, 1 the other phase of the
// alert. Drawn, not loaded, so they are sharp at every size asked for.
QList<QIcon> TrayPictures();
