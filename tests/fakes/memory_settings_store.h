// A settings store held in memory, for tests of whatever reads or writes
// settings: values keep their type, a key goes with its last value, and the
// store can be made unopenable or unwritable.
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
        return std::make_unique<Key>(*this, path);
    }

    std::string Location() const override { return "memory"; }

    // Test side: the values under path, made if missing.
    Values& values(const std::string& path) { return keys[path]; }
    bool hasKey(const std::string& path) const { return keys.count(path) != 0; }

    std::map<std::string, Values> keys;
    bool unavailable = false;
    bool failWrites = false;
    int opens = 0;
    int writes = 0; // writes and deletes that changed the store

private:
    // Works on the store's map by path: a key whose values are all deleted
    // leaves the map, and a later write through the same key makes it anew.
    class Key : public SettingsKey
    {
    public:
        Key(MemorySettingsStore& store, std::string path) : m_store(store), m_path(std::move(path)) {}

        bool ValueExists(const std::string& name) override { return find(name) != nullptr; }
        int32_t ReadInteger(const std::string& name) override
        {
            const Value* value = find(name);
            if (!value || !std::holds_alternative<int32_t>(*value))
                throw SettingsError("Invalid data type for '" + name + "'");
            return std::get<int32_t>(*value);
        }
        void WriteInteger(const std::string& name, int32_t value) override { write(name, value); }
        std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) override
        {
            return read<std::vector<uint8_t>>(name);
        }
        void WriteBinary(const std::string& name, const std::vector<uint8_t>& value) override
        {
            write(name, value);
        }
        std::optional<std::string> ReadText(const std::string& name) override
        {
            return read<std::string>(name);
        }
        void WriteText(const std::string& name, const std::string& value) override { write(name, value); }
        void DeleteValue(const std::string& name) override
        {
            if (m_store.failWrites)
                throw SettingsError("Cannot delete '" + name + "'");
            const auto key = m_store.keys.find(m_path);
            if (key == m_store.keys.end() || key->second.erase(name) == 0)
                return;
            ++m_store.writes;
            if (key->second.empty())
                m_store.keys.erase(key);
        }

    private:
        const Value* find(const std::string& name) const
        {
            const auto key = m_store.keys.find(m_path);
            if (key == m_store.keys.end())
                return nullptr;
            const auto it = key->second.find(name);
            return it == key->second.end() ? nullptr : &it->second;
        }
        template <typename T>
        std::optional<T> read(const std::string& name) const
        {
            const Value* value = find(name);
            if (!value || !std::holds_alternative<T>(*value))
                return std::nullopt;
            return std::get<T>(*value);
        }
        void write(const std::string& name, Value value)
        {
            if (m_store.failWrites)
                throw SettingsError("Cannot write '" + name + "'");
            ++m_store.writes;
            m_store.keys[m_path][name] = std::move(value);
        }

        MemorySettingsStore& m_store;
        std::string m_path;
    };
};
