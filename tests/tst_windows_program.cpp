#include <QDataStream>
#include <QDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <windows.h>

namespace {

// Resource types and names are small numbers passed where a name would go.
LPCWSTR resourceId(int id)
{
    return reinterpret_cast<LPCWSTR>(quintptr(id));
}

const int IconType = 3;       // RT_ICON
const int IconGroupType = 14; // RT_GROUP_ICON
const int ManifestType = 24;  // RT_MANIFEST
const int ProcessManifestId = 1;

struct IconEntry
{
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int id = 0;
};

} // namespace

// What the resource script put into the built program: its icon and its manifest.
class TestWindowsProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void iconHoldsSevenSquareImagesThatLoad();
    void manifestAsksForAdministratorRightsAtEveryStart();

private:
    QByteArray resource(LPCWSTR type, LPCWSTR name) const;
    QList<IconEntry> iconGroup() const;

    HMODULE program = nullptr;
};

void TestWindowsProgram::initTestCase()
{
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(TICKVALE_PROGRAM_FROM_TESTS);
    program = LoadLibraryExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    QVERIFY2(program, qPrintable(path));
}

void TestWindowsProgram::cleanupTestCase()
{
    if (program)
        FreeLibrary(program);
}

QByteArray TestWindowsProgram::resource(LPCWSTR type, LPCWSTR name) const
{
    HRSRC found = FindResourceW(program, name, type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(program, found);
    const void *data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return {};
    return QByteArray(static_cast<const char *>(data), int(SizeofResource(program, found)));
}

// The first icon group: a small header, then one 14-byte entry per image.
QList<IconEntry> TestWindowsProgram::iconGroup() const
{
    HRSRC group = nullptr;
    EnumResourceNamesW(
        program, resourceId(IconGroupType),
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
            *reinterpret_cast<LPCWSTR *>(found) = name;
            return FALSE;
        },
        reinterpret_cast<LONG_PTR>(&group));
    const QByteArray data = resource(resourceId(IconGroupType), reinterpret_cast<LPCWSTR>(group));
    QDataStream stream(data);
    stream.setByteOrder(QDataStream::LittleEndian);
    quint16 reserved = 0, type = 0, count = 0;
    stream >> reserved >> type >> count;
    QList<IconEntry> entries;
    for (int i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        quint8 width = 0, height = 0, colours = 0, unused = 0;
        quint16 planes = 0, bits = 0, id = 0;
        quint32 bytes = 0;
        stream >> width >> height >> colours >> unused >> planes >> bits >> bytes >> id;
        // A side of 256 is written as 0.
        entries << IconEntry{width ? width : 256, height ? height : 256, bits, id};
    }
    return entries;
}

void TestWindowsProgram::iconHoldsSevenSquareImagesThatLoad()
{
    const QList<IconEntry> entries = iconGroup();
    QList<int> sides;
    for (const IconEntry &entry : entries) {
        QCOMPARE(entry.height, entry.width);
        sides << entry.width;
        const QByteArray image = resource(resourceId(IconType), resourceId(entry.id));
        QVERIFY2(!image.isEmpty(), qPrintable(QString::number(entry.width)));
        HICON icon = CreateIconFromResourceEx(reinterpret_cast<PBYTE>(const_cast<char *>(image.data())),
                                              DWORD(image.size()), TRUE, 0x00030000, entry.width, entry.height,
                                              LR_DEFAULTCOLOR);
        QVERIFY2(icon, qPrintable(QString::number(entry.width)));
        DestroyIcon(icon);
    }
    std::sort(sides.begin(), sides.end(), std::greater<int>());
    QCOMPARE(sides, (QList<int>{250, 128, 64, 48, 32, 24, 16}));
}

void TestWindowsProgram::manifestAsksForAdministratorRightsAtEveryStart()
{
    const QByteArray manifest = resource(resourceId(ManifestType), resourceId(ProcessManifestId));
    QVERIFY(!manifest.isEmpty());
    QXmlStreamReader reader(manifest);
    QStringList levels;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("requestedExecutionLevel")) {
            levels << reader.attributes().value("level").toString() + " "
                    + reader.attributes().value("uiAccess").toString();
        }
    }
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
    QCOMPARE(levels, QStringList{"requireAdministrator false"});
}

QTEST_GUILESS_MAIN(TestWindowsProgram)
#include "tst_windows_program.moc"
