// Every key and value name the program keeps in the settings store.
#pragma once

#include <string>

namespace settings_keys {

// Link settings: five list indices.
inline constexpr const char* kLinkSettings = "Software\\ORVANE\\Property";
inline constexpr const char* kCommPort = "CommPort";
inline constexpr const char* kBaudRate = "BaudRate";
inline constexpr const char* kParity = "Parity";
inline constexpr const char* kDataBits = "DataBits";
inline constexpr const char* kStopBits = "StopBits";

// Per-user port mapping: text value "COMn" names the device opened for COMn.
inline constexpr const char* kPorts = "Software\\ORVANE\\Ports";

// Window placement: binary value under "SOFTWARE\<program base name>\UI".
inline constexpr const char* kWindowPlacement = "WindowPlacement";
inline std::string WindowPlacementKey(const std::string& exeBaseName)
{
    return "SOFTWARE\\" + exeBaseName + "\\UI";
}

} // namespace settings_keys
