#include "platform/windows/RegistryCompatibilityLayer.h"

#include <QDebug>

#include <windows.h>

const wchar_t *const RegistryCompatibilityLayer::LayersKey =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

namespace {

// The value holds the ten characters alone, without a terminating zero. The system adds the
// zero itself to a string whose byte count stops just before one, so the unit after the ten
// is not a zero.
const wchar_t RunAsAdmin[] = {L'R', L'U', L'N', L'A', L'S', L'A', L'D', L'M', L'I', L'N', L'.'};
const DWORD RunAsAdminBytes = DWORD(10 * sizeof(wchar_t));

QString systemMessage(LSTATUS status)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, DWORD(status), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message = length > 0 ? QString::fromWCharArray(text, int(length)).trimmed()
                                       : QStringLiteral("error %1").arg(status);
    LocalFree(text);
    return message;
}

} // namespace

RegistryCompatibilityLayer::RegistryCompatibilityLayer(const wchar_t *layersKeyPath)
    : keyPath(layersKeyPath)
{ }

void RegistryCompatibilityLayer::setRunAsAdmin(const QString &nativeProgramPath)
{
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                     nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        qWarning().noquote() << QStringLiteral("The compatibility key HKEY_CURRENT_USER\\%1 cannot be opened: %2")
                                    .arg(QString::fromWCharArray(keyPath), systemMessage(status));
        return;
    }
    const std::wstring valueName = nativeProgramPath.toStdWString();
    status = RegSetValueExW(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(RunAsAdmin),
                            RunAsAdminBytes);
    if (status == ERROR_SUCCESS)
        qDebug().noquote() << QStringLiteral("注册表写入成功!");
    else
        qWarning().noquote() << QStringLiteral("The compatibility value for %1 cannot be written: %2")
                                    .arg(nativeProgramPath, systemMessage(status));
    RegCloseKey(key);
}
