// Standard output and error as a command-line user sees them on each system. Qt Core only.
#pragma once

#include <QByteArray>

#include <cstdio>

namespace tickora {

// Writes UTF-8 text to stdout or stderr. To a file or a pipe the bytes go as they are (on
// Windows with CRLF line ends, as editors and Keil there expect them); to a Windows console as
// UTF-16, which shows Chinese whatever the console's code page. False when not every byte got
// there (a full disk, a closed pipe); errno then says why.
bool writeStandard(std::FILE* stream, const QByteArray& utf8);

// A window program started from cmd.exe or PowerShell has no console of its own: its command
// line answers go to the parent's console. Does nothing elsewhere, or when output is redirected.
void useParentConsole();

} // namespace tickora
