#include "widgets/ResourceText.h"

#include <QDebug>
#include <QFile>
#include <QHash>

QString ResourceText::read(const QString &path)
{
    static QHash<QString, QString> texts;
    auto found = texts.find(path);
    if (found == texts.end()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qWarning() << "Cannot read the resource" << path;
        found = texts.insert(path, QString::fromUtf8(file.readAll()));
    }
    return found.value();
}
