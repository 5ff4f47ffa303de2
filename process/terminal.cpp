#include "process/terminal.h"

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

void writeText(std::FILE *stream, const QString &text)
{
#ifdef Q_OS_WIN
    // A console shows UTF-16 as it is, where its code page would garble a folder such as
    // C:\Users\Jürgen; a file or a pipe gets UTF-8.
    const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (GetConsoleMode(console, &mode)) {
        std::fflush(stream);
        DWORD written = 0;
        WriteConsoleW(console, reinterpret_cast<const wchar_t *>(text.utf16()), DWORD(text.size()), &written, nullptr);
        return;
    }
    std::fputs(text.toUtf8().constData(), stream);
#else
    std::fputs(text.toLocal8Bit().constData(), stream);
#endif
    std::fflush(stream);
}

bool isTerminal(std::FILE *stream)
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stream));
#else
    return ::isatty(::fileno(stream));
#endif
}
