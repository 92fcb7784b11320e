// Layout of the version record the program file carries, shared by the
// record built into the program and by its reader. The record lives in an
// ELF section of its own and is a flat list of (path, value) entries whose
// paths keep the usual tree of a version record: "\VarFileInfo\Translation"
// holds the translation table (pairs of 16-bit language and code page,
// little-endian) and "\StringFileInfo\<language><code page>\<name>" the
// strings (UTF-8).
//
//   magic "ORVVER01" | u32 entry count | entries
//   entry: u16 path length | u16 value length | path bytes | value bytes
//
// All integers are little-endian. Header-only and free of Qt so that it can
// be compiled straight into any executable.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>

namespace VersionRecord {

inline constexpr std::string_view kSectionName = ".orvane_version";
inline constexpr std::array<unsigned char, 8> kMagic = {'O', 'R', 'V', 'V', 'E', 'R', '0', '1'};
inline constexpr std::size_t kHeaderSize = kMagic.size() + 4;
inline constexpr std::size_t kEntryHeaderSize = 4;
inline constexpr std::size_t kMaxFieldSize = 0xFFFF;
// A record bigger than this is not one of ours.
inline constexpr std::size_t kMaxRecordSize = 64 * 1024;

inline constexpr std::string_view kTranslationPath = "\\VarFileInfo\\Translation";

struct Entry
{
    std::string_view path;
    std::string_view value;
};

constexpr std::size_t encodedSize(std::span<const Entry> entries)
{
    std::size_t size = kHeaderSize;
    for (const Entry& e : entries)
        size += kEntryHeaderSize + e.path.size() + e.value.size();
    return size;
}

// Writes the record of `entries` to the start of `out`, which must hold at
// least encodedSize(entries) bytes. Raises std::length_error for a path or
// value longer than kMaxFieldSize (a compile error in a constant).
constexpr void encode(std::span<const Entry> entries, std::span<unsigned char> out)
{
    if (out.size() < encodedSize(entries))
        throw std::length_error("version record buffer too small");
    std::size_t pos = 0;
    auto put = [&](std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out[pos++] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
    };
    auto putText = [&](std::string_view text) {
        for (char c : text)
            out[pos++] = static_cast<unsigned char>(c);
    };
    for (unsigned char c : kMagic)
        out[pos++] = c;
    put(entries.size(), 4);
    for (const Entry& e : entries) {
        if (e.path.size() > kMaxFieldSize || e.value.size() > kMaxFieldSize)
            throw std::length_error("version record field too long");
        put(e.path.size(), 2);
        put(e.value.size(), 2);
        putText(e.path);
        putText(e.value);
    }
}

} // namespace VersionRecord
