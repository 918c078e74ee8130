#pragma once
// What the linux profile's routine table is built with: a routine record,
// the programs it needs looked up on PATH (a routine whose program is missing
// is marked unavailable: never run, never behind a password prompt), and the
// page-cache gauge of the memory routine.
#include <cstdint>
#include <filesystem>
#include <string>

#include <QString>

#include "engines/records/Maintenance.h"

namespace LinuxRoutines {

// A routine record.
MaintTask routine(const char* id, const QString& title, const QString& detail, const char* symbol,
                  const std::string& cmd, bool admin);

// Marks the routine unavailable for want of `what` (a program, a file or a service).
void markMissing(MaintTask& task, const QString& what);

// A routine that runs one program: unavailable where `program` is not found on `path`.
MaintTask programRoutine(const char* id, const QString& title, const QString& detail, const char* symbol,
                         const char* program, const std::string& cmd, bool admin, const QString& path);

// The program's full path when `name` is an executable in one of the PATH's
// folders (or, with a slash, is itself executable); empty otherwise.
QString findProgram(const QString& name, const QString& path);

// The page cache ("Cached" in a meminfo file) in bytes; 0 when it cannot be read.
std::int64_t cachedBytes(const std::filesystem::path& meminfo);

} // namespace LinuxRoutines
