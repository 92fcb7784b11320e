// Whether a terminal device is the controlling terminal of some session
// on this machine: a shell's, a login's or a terminal window's. Linux has
// no call that answers this for another process's session, so the answer
// comes from the tty field of each process's /proc/<pid>/stat. /dev/tty
// and /dev/console, which stand for such terminals, count as well.
#pragma once

#include <sys/types.h>

namespace tty {

bool isSessionTerminal(dev_t device);

} // namespace tty
