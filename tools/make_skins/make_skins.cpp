// make_skins: writes the skins the program ships, one folder each, from the
// drawing in tasklist/SkinArt. Its output is committed as assets/skins/:
//   make_skins assets/skins

#include "tasklist/SkinArt.h"
#include "tools/PictureTool.h"

#include <QDir>
#include <QFile>

namespace {
bool WriteSkin(const QString &folder, const QString &skin, QString &error)
{
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot make %1").arg(folder);
        return false;
    }
    for (const QString &name : SkinFileNames()) {
        const QString path = folder + QLatin1Char('/') + name;
        if (!DrawSkinPart(skin, name).save(path, "BMP")) {
            error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
    }
    // The options read the first line; CR LF keeps the file the same
    // whichever system wrote it.
    QFile text(folder + QStringLiteral("/skinname.txt"));
    if (!text.open(QIODevice::WriteOnly) || text.write(SkinDisplayName(skin).toUtf8() + "\r\n") < 0) {
        error = QStringLiteral("cannot write %1").arg(text.fileName());
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    return RunPictureTool(argc, argv, "make_skins", [](const QString &out) -> QString {
        for (const QString &skin : ShippedSkinNames()) {
            QString error;
            if (!WriteSkin(out + QLatin1Char('/') + skin, skin, error))
                return error;
        }
        return {};
    });
}
