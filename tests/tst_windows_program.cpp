#include <QtTest>

#include <windows.h>

// What the resource script put into the built program: its icon and its manifest.
class TestWindowsProgram : public QObject
{
    Q_OBJECT

    HMODULE program = nullptr;

    // A resource of a system type (RT_ICON and the like) and a number (the process manifest's is 1).
    QByteArray resource(LPCSTR type, int name) const
    {
        HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(name), reinterpret_cast<LPCWSTR>(type));
        HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
        const void *data = loaded ? LockResource(loaded) : nullptr;
        return data ? QByteArray(static_cast<const char *>(data), int(SizeofResource(program, found))) : QByteArray();
    }

private slots:
    void initTestCase()
    {
        const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(TICKVALE_PROGRAM_FROM_TESTS);
        program = LoadLibraryExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        QVERIFY2(program, qPrintable(path));
    }

    void iconHoldsSevenSquareImagesThatLoad()
    {
        // The icon group (the script's icon 1): a small header, then one 14-byte entry per image.
        QDataStream group(resource(RT_GROUP_ICON, 1));
        group.setByteOrder(QDataStream::LittleEndian);
        quint16 reserved = 0, type = 0, count = 0;
        group >> reserved >> type >> count;
        QList<int> sides;
        for (int i = 0; i < count && group.status() == QDataStream::Ok; ++i) {
            quint8 width = 0, height = 0, colours = 0, unused = 0;
            quint16 planes = 0, bits = 0, id = 0;
            quint32 bytes = 0;
            group >> width >> height >> colours >> unused >> planes >> bits >> bytes >> id;
            QCOMPARE(height, width);
            // A side of 256 is written as 0.
            sides << (width ? width : 256);
            QByteArray image = resource(RT_ICON, id);
            HICON icon = CreateIconFromResourceEx(reinterpret_cast<PBYTE>(image.data()), DWORD(image.size()), TRUE,
                                                  0x00030000, sides.last(), sides.last(), LR_DEFAULTCOLOR);
            QVERIFY2(icon, qPrintable(QString::number(sides.last())));
            DestroyIcon(icon);
        }
        std::sort(sides.begin(), sides.end(), std::greater<int>());
        QCOMPARE(sides, (QList<int>{250, 128, 64, 48, 32, 24, 16}));
    }

    void manifestAsksForAdministratorRightsAtEveryStart()
    {
        QXmlStreamReader reader(resource(RT_MANIFEST, 1));
        QStringList levels;
        while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) {
            if (reader.isStartElement() && reader.name() == QLatin1String("requestedExecutionLevel"))
                levels << reader.attributes().value("level").toString() + " "
                        + reader.attributes().value("uiAccess").toString();
        }
        QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
        QCOMPARE(levels, QStringList{"requireAdministrator false"});
    }
};

QTEST_GUILESS_MAIN(TestWindowsProgram)
#include "tst_windows_program.moc"
