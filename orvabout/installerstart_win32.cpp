#include "orvabout/installerstart.h"

#include <QDir>
#include <QFileInfo>
#include <windows.h>
#include <shellapi.h>

bool startInstaller(const QString &path)
{
    const std::wstring file = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
    // The shell's "open": an installer asks for the rights it needs itself.
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}
