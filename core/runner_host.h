// What the emulation runner needs of the window that shows it. Every call
// comes on the user-interface thread: the worker reaches it only through
// the synchronous hand-over it is given.
#pragma once

#include <string>

#include "core/port_params.h"

class RunnerHost
{
public:
    virtual ~RunnerHost() = default;

    // Puts text into the link status panel and refreshes the status bar.
    virtual void SetLinkStatusText(const std::string& text) = 0;
    // Repaints the status bar, which draws the lamps from the current flags.
    virtual void RepaintLamps() = 0;
    // Tells the operator that the port could not be opened.
    virtual void ShowOpenFailure() = 0;
    // Reloads the stored link settings and turns them into line parameters.
    // May throw when the store holds a value of the wrong type.
    virtual PortParams LoadPortParams() = 0;
};
