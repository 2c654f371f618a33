#include "widgets/TAVLoadFontFamilyFiles.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFontDatabase>

TAVLoadFontFamilyFiles::TAVLoadFontFamilyFiles(QObject *parent)
    : QObject(parent)
{
    findFontFile(QDir::currentPath(), {QStringLiteral("*.ttf")});
    loadFontFamily();
}

bool TAVLoadFontFamilyFiles::findFontFile(const QString &directory, const QStringList &nameFilters)
{
    QDir dir(directory);
    dir.setNameFilters(nameFilters);
    // Visible entries only: hidden folders (.cache, .git, .local) hold no font meant here and
    // can be large.
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::AllDirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        if (++visited > MaxEntries) {
            if (visited == MaxEntries + 1)
                qWarning() << "Font search stopped after" << MaxEntries << "entries below" << QDir::currentPath();
            return true;
        }
        if (entry.isDir()) {
            // A link back up the tree would make the walk endless.
            if (!entry.isSymLink() && !findFontFile(entry.filePath(), nameFilters))
                return false;
            continue;
        }
        fontFilePath = entry.filePath();
    }
    return true;
}

QString TAVLoadFontFamilyFiles::loadFontFamily()
{
    QFile file(fontFilePath);
    if (fontFilePath.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qInfo() << "Open font file error";
        return QString();
    }
    const int id = QFontDatabase::addApplicationFontFromData(file.readAll());
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    file.close();
    return families.isEmpty() ? QString() : families.first();
}
