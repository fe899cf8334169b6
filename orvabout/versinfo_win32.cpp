#include "orvabout/versinfo_platform.h"

#include <QDir>
#include <vector>
#include <windows.h>

QString runningProgramVersionSource()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0)
            return {};
        if (n < path.size())
            return QString::fromWCharArray(path.data(), n);
        path.resize(path.size() * 2);
    }
}

bool readVersionData(const QString &source, QString &langCharset, const QStringList &keys, QStringList &texts)
{
    const std::wstring file = QDir::toNativeSeparators(source).toStdWString();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<char> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data()))
        return false;
    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < sizeof(DWORD))
        return false;
    langCharset = langCharsetOf(*static_cast<const DWORD *>(value));
    const QString prefix = QStringLiteral("\\StringFileInfo\\") + langCharset + u'\\';
    for (const QString &key : keys) {
        // The length counts characters with the closing zero: 1 is an empty text.
        const std::wstring name = (prefix + key).toStdWString();
        const bool found = VerQueryValueW(data.data(), name.c_str(), &value, &length) && length > 1;
        texts << (found ? QString::fromWCharArray(static_cast<const wchar_t *>(value), int(length) - 1) : QString());
    }
    return true;
}
