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

const wchar_t* wide(const QString& text) { return reinterpret_cast<const wchar_t*>(text.utf16()); }

bool writeConsole(HANDLE handle, const QByteArray& utf8) {
    const QString text = QString::fromUtf8(utf8);
    for (qsizetype done = 0; done < text.size();) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<qsizetype>(text.size() - done, 8192));
        if (!WriteConsoleW(handle, wide(text) + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// GBK (code page 936) has no µ or minus sign: written there, the working's would be "?".
QString inAscii(QString text) {
    return text.replace(QChar(0x00B5), u'u').replace(QChar(0x2212), u'-');
}

// A program reading the pipe on that console, `more` say, decodes it in the console's code page:
// UTF-8 would read as garble there.
QByteArray forRedirection(const QByteArray& utf8, Redirected redirected) {
    const UINT page = GetConsoleOutputCP(); // 0 when no console is attached
    if (redirected == Redirected::Utf8 || page == 0 || page == CP_UTF8 || utf8.isEmpty())
        return utf8;
    const QString text = inAscii(QString::fromUtf8(utf8));
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(page, 0, wide(text), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) // a code page Windows cannot convert to
        return utf8;
    QByteArray bytes(size, Qt::Uninitialized);
    WideCharToMultiByte(page, 0, wide(text), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

} // namespace
#endif

// The C runtime's text mode turns each \n into CRLF on Windows.
bool writeStandard(std::FILE* stream, const QByteArray& utf8,
                   [[maybe_unused]] Redirected redirected) {
#ifdef Q_OS_WIN
    const HANDLE handle = handleOf(stream);
    if (isConsole(handle))
        return writeConsole(handle, utf8);
    const QByteArray bytes = forRedirection(utf8, redirected);
#else
    const QByteArray& bytes = utf8;
#endif
    const auto size = static_cast<std::size_t>(bytes.size());
    return std::fwrite(bytes.constData(), 1, size, stream) == size && std::fflush(stream) == 0;
}

void useParentConsole() {
#ifdef Q_OS_WIN
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE), err = GetStdHandle(STD_ERROR_HANDLE);
    const bool redirected = out != nullptr && out != INVALID_HANDLE_VALUE;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (redirected) { // the console names the code page; the output stays where it was sent
        SetStdHandle(STD_OUTPUT_HANDLE, out);
        SetStdHandle(STD_ERROR_HANDLE, err);
        return;
    }
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
#endif
}

} // namespace tickora
