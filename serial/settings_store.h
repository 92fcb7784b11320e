// The settings store as the serial link and the windows see it: keys under
// the per-user root holding 32-bit integers, binary values and texts. The
// program backs it with an INI file per user; tests point it at a
// temporary directory.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A value of the wrong type, or a store that cannot be read or written.
// Every Write and Delete throws it when the store cannot be written.
class SettingsError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class SettingsKey
{
public:
    virtual ~SettingsKey() = default;

    virtual bool ValueExists(const std::string& name) = 0;
    // Throws SettingsError "Invalid data type for '<name>'" when the stored
    // value is not a 32-bit integer, and when it is missing.
    virtual int32_t ReadInteger(const std::string& name) = 0;
    virtual void WriteInteger(const std::string& name, int32_t value) = 0;
    // Empty when the value is missing or not binary.
    virtual std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) = 0;
    virtual void WriteBinary(const std::string& name, const std::vector<uint8_t>& value) = 0;
    // Empty when the value is missing or not a text.
    virtual std::optional<std::string> ReadText(const std::string& name) = 0;
    virtual void WriteText(const std::string& name, const std::string& value) = 0;
    // Removes the value of any type; nothing to do when it is missing. A key
    // left without values ceases to exist, as far as the store allows.
    virtual void DeleteValue(const std::string& name) = 0;
};

class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // Opens path (segments separated by "\", as "Software\ORVANE\Property")
    // under the per-user root. With create false a missing key gives null;
    // null too when the store cannot be opened at all.
    virtual std::unique_ptr<SettingsKey> OpenKey(const std::string& path, bool create) = 0;
    // Where the store lives, for messages about it (the file's path).
    virtual std::string Location() const = 0;
};
