#pragma once

#include <QObject>
#include <QStringList>

// Finds a "*.ttf" font below the working directory and adds it to the application's fonts.
class TAVLoadFontFamilyFiles final : public QObject
{
    Q_OBJECT
public:
    explicit TAVLoadFontFamilyFiles(QObject *parent);

    // Walks the directory depth first in the order the file system lists it; the last
    // matching file met becomes fontFilePath. Hidden entries are left out and linked
    // directories are not followed.
    bool findFontFile(const QString &directory, const QStringList &nameFilters);
    // Adds the font at fontFilePath and returns its first family, or empty text.
    QString loadFontFamily();

    QString fontFilePath;

    // A working directory may be a home folder or the whole disk: the walk stops after this
    // many entries rather than freeze the window that asked for the font.
    static constexpr int MaxEntries = 20000;

private:
    int visited = 0;
};
