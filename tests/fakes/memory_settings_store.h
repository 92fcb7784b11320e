// A settings store held in memory, for tests of whatever reads or writes
// settings: values keep their type, and the store can be made unopenable.
#pragma once

#include "serial/settings_store.h"

#include <map>
#include <string>
#include <variant>

class MemorySettingsStore : public SettingsStore
{
public:
    using Value = std::variant<int32_t, std::vector<uint8_t>, std::string>;
    using Values = std::map<std::string, Value>;

    std::unique_ptr<SettingsKey> OpenKey(const std::string& path, bool create) override
    {
        ++opens;
        if (unavailable)
            return nullptr;
        if (!create && !keys.count(path))
            return nullptr;
        return std::make_unique<Key>(*this, keys[path]);
    }

    std::string Location() const override { return "memory"; }

    // Test side: the values under path, made if missing.
    Values& values(const std::string& path) { return keys[path]; }
    bool hasKey(const std::string& path) const { return keys.count(path) != 0; }

    std::map<std::string, Values> keys;
    bool unavailable = false;
    bool failWrites = false;
    int opens = 0;
    int writes = 0;

private:
    class Key : public SettingsKey
    {
    public:
        Key(MemorySettingsStore& store, Values& values) : m_store(store), m_values(values) {}

        bool ValueExists(const std::string& name) override { return m_values.count(name) != 0; }
        int32_t ReadInteger(const std::string& name) override
        {
            const auto it = m_values.find(name);
            if (it == m_values.end() || !std::holds_alternative<int32_t>(it->second))
                throw SettingsError("Invalid data type for '" + name + "'");
            return std::get<int32_t>(it->second);
        }
        void WriteInteger(const std::string& name, int32_t value) override
        {
            if (m_store.failWrites)
                throw SettingsError("Cannot write '" + name + "'");
            ++m_store.writes;
            m_values[name] = value;
        }
        std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) override
        {
            const auto it = m_values.find(name);
            if (it == m_values.end() || !std::holds_alternative<std::vector<uint8_t>>(it->second))
                return std::nullopt;
            return std::get<std::vector<uint8_t>>(it->second);
        }
        void WriteBinary(const std::string& name, const std::vector<uint8_t>& value) override
        {
            if (m_store.failWrites)
                throw SettingsError("Cannot write '" + name + "'");
            ++m_store.writes;
            m_values[name] = value;
        }
        std::optional<std::string> ReadText(const std::string& name) override
        {
            const auto it = m_values.find(name);
            if (it == m_values.end() || !std::holds_alternative<std::string>(it->second))
                return std::nullopt;
            return std::get<std::string>(it->second);
        }

    private:
        MemorySettingsStore& m_store;
        Values& m_values;
    };
};
