#pragma once
#include <QString>

struct CliSession;

// Loads a firmware file as the open command does. The program shows its own
// message box; this adds on stderr which file it was and why it failed, and
// a hint when a file that is not named ".hex" holds Intel-HEX text.
// ExitOk, or ExitUsage when the image cannot be used.
int loadImageFile(CliSession &s, const char *command, const QString &path);

// The text starts with an Intel-HEX record.
bool looksLikeIntelHex(const QString &path);
