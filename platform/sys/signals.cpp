#include "platform/sys/signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace platform {
namespace {

int sPipe[2] = {-1, -1};
int sTaken = 0;

void NoteSignal(int) {
    const int saved = errno;
    const char byte = 1;
    (void)!::write(sPipe[1], &byte, 1);  // a full pipe already says enough
    errno = saved;
}

}  // namespace

int WatchTerminationSignals() {
    if (sPipe[0] >= 0) return sPipe[0];
    if (::pipe2(sPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        sPipe[0] = sPipe[1] = -1;
        return -1;
    }
    struct sigaction action = {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    return sPipe[0];
}

int TakeTerminationSignals() {
    if (sPipe[0] < 0) return 0;
    int n = 0;
    char buffer[64];
    for (ssize_t got; (got = ::read(sPipe[0], buffer, sizeof buffer)) > 0;) n += static_cast<int>(got);
    sTaken += n;
    return n;
}

bool TerminationRequested() { return TakeTerminationSignals() > 0 || sTaken > 0; }

}  // namespace platform
