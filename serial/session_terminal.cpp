#include "serial/session_terminal.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/sysmacros.h>

namespace tty {

namespace {

// The tty_nr field of a /proc/<pid>/stat line: the seventh, counted after
// the command name in parentheses, which may itself hold spaces and ')'.
bool controllingTerminal(const char* pid, dev_t& device)
{
    const std::string path = std::string("/proc/") + pid + "/stat";
    FILE* file = std::fopen(path.c_str(), "re");
    if (!file)
        return false;
    char line[1024];
    const size_t length = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[length] = '\0';
    const char* afterName = std::strrchr(line, ')');
    if (!afterName)
        return false;
    // State, parent, process group and session come first.
    unsigned int ttyNumber = 0;
    if (std::sscanf(afterName + 1, " %*c %*d %*d %*d %u", &ttyNumber) != 1 || ttyNumber == 0)
        return false;
    // The kernel packs the minor number's high bits above the major's.
    device = makedev((ttyNumber >> 8) & 0xfffu, (ttyNumber & 0xffu) | ((ttyNumber >> 12) & 0xfff00u));
    return true;
}

} // namespace

bool isSessionTerminal(dev_t device)
{
    // /dev/tty is always the opener's own terminal and /dev/console the
    // system's; neither shows in any process's tty field under its own
    // number.
    if (device == makedev(5, 0) || device == makedev(5, 1))
        return true;
    DIR* processes = opendir("/proc");
    if (!processes)
        return false;
    bool found = false;
    while (const dirent* entry = readdir(processes)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0])))
            continue;
        dev_t terminal = 0;
        if (controllingTerminal(entry->d_name, terminal) && terminal == device) {
            found = true;
            break;
        }
    }
    closedir(processes);
    return found;
}

} // namespace tty
