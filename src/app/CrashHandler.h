#pragma once
// On a fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGTRAP, SIGABRT, SIGFPE):
// "!! signal N" and the call stack go to standard error (the runtime log),
// then the default disposition is restored and the signal raised again, so
// the process ends as it would have without the handler.
namespace CrashHandler {

void install();

} // namespace CrashHandler
