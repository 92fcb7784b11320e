// Plain words for the ways opening a tty fails.
#include "serial/open_failure.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

std::string Reason(int32_t error, const std::string& step)
{
    if (step == "NOT IS FILE_TYPE_CHAR")
        return "it is not a serial device";
    if (step == "SetCommState()" && error == EINVAL)
        return "the device does not support the chosen line settings";
    switch (error) {
    case 0:
        return "the device could not be set up";
    case ENOENT:
        return "no such device";
    case ENOTTY:
        return "it is not a serial device";
    case EISDIR:
        return "it is a directory, not a serial device";
    case EACCES:
    case EPERM:
        return "permission denied (the user must be allowed to use the device, usually by "
               "being in the group that owns it)";
    case EBUSY:
    case EWOULDBLOCK:
        return "the device is in use by another program";
    case ENXIO:
    case ENODEV:
        return "the device is not there (unplugged?)";
    case EIO:
        return "the device does not answer (input/output error)";
    default: {
        std::string text = std::strerror(error);
        if (!text.empty())
            text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        return text;
    }
    }
}

} // namespace

std::string OpenFailureText(const std::string& deviceName, const std::string& devicePath,
                            int32_t lastError, const std::string& lastErrorText)
{
    if (devicePath.empty())
        return deviceName + ": no device of that name";
    std::string where = devicePath;
    if (deviceName != devicePath)
        where = deviceName + " (" + devicePath + ")";
    return where + ": " + Reason(lastError, lastErrorText);
}
