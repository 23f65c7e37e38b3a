// Standard output and error as a command-line user sees them on each system. Qt Core only.
#pragma once

#include <QByteArray>

#include <cstdio>

namespace tickora {

// How text redirected to a file or a pipe is encoded on Windows; elsewhere it is UTF-8 always.
enum class Redirected {
    ConsoleCodePage, // the attached console's code page (GBK at 936), as `more` reads it there
    Utf8,            // as on Linux, whatever the console
};

// Writes UTF-8 text to stdout or stderr. To a Windows console as UTF-16, which shows Chinese
// whatever the console's code page. To a file or a pipe the bytes go as they are, except on
// Windows: there with CRLF line ends (as editors and Keil expect them) and, while a console
// whose code page is not UTF-8 is attached and `redirected` asks for it, in that code page (one
// without Chinese cannot carry it: --utf8 is for that). With no console attached (a service's,
// a detached build step's) they stay UTF-8. False when not every byte got there (a full disk, a
// closed pipe); errno then says why.
bool writeStandard(std::FILE* stream, const QByteArray& utf8,
                   Redirected redirected = Redirected::ConsoleCodePage);

// A window program started from cmd.exe or PowerShell has no console of its own: its command
// line answers go to the parent's console, or when redirected are encoded for it. Does nothing
// elsewhere.
void useParentConsole();

} // namespace tickora
