#include "storage/UserSettings.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QStringList>

UserSettings::UserSettings(QObject *parent)
    : QObject(parent)
    , settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tickvale"), QStringLiteral("TickvalePro"))
{ }

UserSettings::UserSettings(const QString &fileName, QObject *parent)
    : QObject(parent)
    , settings(fileName, QSettings::IniFormat)
{ }

bool UserSettings::isOn(Choice choice) const
{
    return settings.value(keyOf(choice), choice == WarnBeforeActions).toBool();
}

void UserSettings::setOn(Choice choice, bool on)
{
    if (isOn(choice) == on && settings.contains(keyOf(choice)))
        return;
    settings.setValue(keyOf(choice), on);
    writeOut();
    emit choiceChanged(choice, on);
}

QList<int> UserSettings::armedTaskIds(const QString &databasePath) const
{
    QList<int> ids;
    const QStringList texts = settings.value(armedKeyOf(databasePath)).toStringList();
    for (const QString &text : texts) {
        bool whole = false;
        const int id = text.toInt(&whole);
        if (whole)
            ids << id;
    }
    return ids;
}

void UserSettings::setArmedTaskIds(const QString &databasePath, const QList<int> &ids)
{
    QStringList texts;
    for (int id : ids)
        texts << QString::number(id);
    settings.setValue(armedKeyOf(databasePath), texts);
    writeOut();
}

QString UserSettings::fileName() const
{
    return settings.fileName();
}

QString UserSettings::keyOf(Choice choice)
{
    switch (choice) {
    case WarnBeforeActions:
        return QStringLiteral("warnBeforeActions");
    case StartAtLogin:
        return QStringLiteral("startAtLogin");
    case RestoreArmedTasks:
    default:
        return QStringLiteral("restoreArmedTasks");
    }
}

QString UserSettings::armedKeyOf(const QString &databasePath)
{
    // A path may hold characters that a settings key cannot: the key is its digest.
    const QByteArray digest = QCryptographicHash::hash(databasePath.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("armedTasks/") + QString::fromLatin1(digest);
}

void UserSettings::writeOut()
{
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qWarning() << "The settings file could not be written:" << settings.fileName();
}
