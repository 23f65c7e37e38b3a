#include "console.h"

#include <QString>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace tickora {

#ifdef Q_OS_WIN
namespace {

HANDLE handleOf(std::FILE* stream) {
    return GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

bool writeConsole(HANDLE handle, const QByteArray& utf8) {
    const QString text = QString::fromUtf8(utf8);
    const auto* data = reinterpret_cast<const wchar_t*>(text.utf16());
    for (qsizetype done = 0; done < text.size();) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<qsizetype>(text.size() - done, 8192));
        if (!WriteConsoleW(handle, data + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace
#endif

// The C runtime's text mode turns each \n into CRLF on Windows.
bool writeStandard(std::FILE* stream, const QByteArray& utf8) {
#ifdef Q_OS_WIN
    if (const HANDLE handle = handleOf(stream); isConsole(handle))
        return writeConsole(handle, utf8);
#endif
    const auto size = static_cast<std::size_t>(utf8.size());
    return std::fwrite(utf8.constData(), 1, size, stream) == size && std::fflush(stream) == 0;
}

void useParentConsole() {
#ifdef Q_OS_WIN
    const bool redirected = GetStdHandle(STD_OUTPUT_HANDLE) != nullptr &&
                            GetStdHandle(STD_OUTPUT_HANDLE) != INVALID_HANDLE_VALUE;
    if (redirected || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
#endif
}

} // namespace tickora
