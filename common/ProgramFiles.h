#pragma once

#include <QString>

// The base name of every file of the program ("Vendra.ldr", "Vendra.ini", ...).
inline constexpr char16_t kProgramBaseName[] = u"Vendra";

// The program's folder, with a trailing "/": the folder of the executable, or the folder named by the
// environment variable VENDRA_HOME when it is set (tests and portable set-ups use it).
QString GetProgramFolder();
// The full path of the running executable.
QString GetProgramFileName();
// The folder of the running executable, with a trailing "/", whatever VENDRA_HOME says: the program's
// own files (not its data) live there.
QString GetExecutableFolder();
// The program's folder and base name without extension: other files take it with their own ending.
QString GetProgramBasePath();
// The program settings file ("Vendra.ini") and the settings store ("Vendra.frm") in the program's folder.
QString GetIniFileName();
QString GetFormFileName();
// A file of the given name in the program's folder.
QString ProgramFilePath(const QString &name);
