#include "app/CrashHandler.h"

#include <csignal>
#include <cstring>

#include <execinfo.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGTRAP, SIGABRT, SIGFPE};
constexpr int kMaxFrames = 128;

// Everything below runs inside the signal handler: write(2) only, no allocation.
void writeText(const char* text) { (void)!::write(STDERR_FILENO, text, std::strlen(text)); }

void writeNumber(int value)
{
    char digits[16];
    int n = 0;
    unsigned v = value < 0 ? static_cast<unsigned>(-value) : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0 && n < 15);
    if (value < 0)
        digits[n++] = '-';
    char out[16];
    for (int i = 0; i < n; ++i)
        out[i] = digits[n - 1 - i];
    (void)!::write(STDERR_FILENO, out, static_cast<size_t>(n));
}

void onFatalSignal(int sig)
{
    writeText("\n!! signal ");
    writeNumber(sig);
    writeText("\n");
    void* frames[kMaxFrames];
    const int count = ::backtrace(frames, kMaxFrames);
    ::backtrace_symbols_fd(frames, count, STDERR_FILENO);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

} // namespace

namespace CrashHandler {

void install()
{
    // backtrace() loads its unwinder on first use; do that now, not in the handler.
    void* warmUp[1];
    ::backtrace(warmUp, 1);

    // A stack of its own, so a stack overflow can still be reported.
    static char alternateStack[64 * 1024];
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action{};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    for (int sig : kSignals)
        ::sigaction(sig, &action, nullptr);
}

} // namespace CrashHandler
