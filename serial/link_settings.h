// The stored serial line settings: five list positions, the lists the
// settings dialog shows, loading and saving them in the settings store, and
// the table that turns the positions into serial port parameters.
#pragma once

#include "core/port_params.h"

#include <cstdint>
#include <string>
#include <vector>

class SettingsStore;

// Each field is the zero-based index of the chosen entry in its list. The
// defaults are COM1, 9600 baud, even parity, 8 data bits, 1 stop bit.
struct LinkSettings
{
    int32_t CommPort = 0;
    int32_t BaudRate = 2;
    int32_t Parity = 1;
    int32_t DataBits = 1;
    int32_t StopBits = 0;

    bool operator==(const LinkSettings&) const = default;
};

// The dialog's lists, in their order.
enum class LinkList { CommPort, BaudRate, Parity, DataBits, StopBits };

inline constexpr int32_t kCommPortCount = 255;

// The entries of one list, index 0 first: "COM1" .. "COM255"; "1200" ..
// "115200"; "None", "Even", "Odd"; "7", "8"; "1", "2".
std::vector<std::string> LinkListEntries(LinkList list);


// The mapping table. An index outside its list (the dialog stores -1 for a
// list without a selection, and the store may hold anything) counts as that
// field's default.
PortParams ToPortParams(const LinkSettings& settings);

// Opens "Software\ORVANE\Property" (creating it), writes each of the five
// values that is missing from settings' current field, then reads all five
// into settings in the order CommPort, BaudRate, Parity, DataBits, StopBits.
// False, with settings untouched, when the key cannot be opened.
//
// A value that is not a 32-bit integer (a hand-edited file, say) is named
// with the key and the store's location: "Invalid data type for 'CommPort'
// (key Software\ORVANE\Property in /home/u/.config/ORVANE/orvane.ini)".
// Without problems that message is thrown as a SettingsError and the
// fields read before it keep their new values. With problems, the field
// takes its default, the message is added to *problems and loading goes
// on. The bad value stays in the store either way, until the settings
// dialog writes a good one.
bool LoadLinkSettings(SettingsStore& store, LinkSettings& settings,
                      std::vector<std::string>* problems = nullptr);

// Writes all five values as 32-bit integers; false when the key cannot be
// opened. Throws SettingsError when the store cannot be written.
bool SaveLinkSettings(SettingsStore& store, const LinkSettings& settings);
