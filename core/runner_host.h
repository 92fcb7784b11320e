// What the emulation runner needs of the window that shows it. Every call
// comes on the user-interface thread: the worker reaches it only through
// the synchronous hand-over it is given.
#pragma once

#include <string>


class RunnerHost
{
public:
    virtual ~RunnerHost() = default;

    // Puts text into the link status panel and refreshes the status bar.
    virtual void SetLinkStatusText(const std::string& text) = 0;
    // Repaints the status bar, which draws the lamps from the current flags.
    virtual void RepaintLamps() = 0;
    // Tells the operator that the port could not be opened, and why in
    // plain words (the device and the system's reason).
    virtual void ShowOpenFailure(const std::string& reason) = 0;
};
