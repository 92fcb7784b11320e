// Builds small ELF files in memory for the version record tests: a null
// section, the section name table and the given sections, in either class
// and byte order, with setters to break any header field afterwards.
#pragma once

#include "ui/version_record_format.h"

#include <QByteArray>

#include <cstdint>
#include <string>
#include <vector>

namespace elf_image {

struct Section
{
    std::string name;
    std::uint32_t type = 1; // SHT_PROGBITS
    QByteArray data;
};

enum class HeaderField
{
    ShOff,
    ShEntSize,
    ShNum,
    ShStrNdx
};

enum class SectionField
{
    Name,
    Type,
    Offset,
    Size,
    Link
};

class Image
{
public:
    Image(const std::vector<Section>& sections, bool is64 = true, bool bigEndian = false)
        : m_is64(is64), m_bigEndian(bigEndian)
    {
        const int headerSize = is64 ? 64 : 52;
        m_bytes.fill('\0', headerSize);
        m_bytes[0] = '\x7f';
        m_bytes[1] = 'E';
        m_bytes[2] = 'L';
        m_bytes[3] = 'F';
        m_bytes[4] = is64 ? 2 : 1;
        m_bytes[5] = bigEndian ? 2 : 1;
        m_bytes[6] = 1;

        QByteArray names("\0.shstrtab\0", 11);
        std::vector<std::uint64_t> nameOffsets;
        for (const Section& s : sections) {
            nameOffsets.push_back(static_cast<std::uint64_t>(names.size()));
            names.append(s.name.c_str(), static_cast<qsizetype>(s.name.size() + 1));
        }
        const std::uint64_t namesOffset = static_cast<std::uint64_t>(m_bytes.size());
        m_bytes.append(names);
        std::vector<std::uint64_t> dataOffsets;
        for (const Section& s : sections) {
            dataOffsets.push_back(static_cast<std::uint64_t>(m_bytes.size()));
            if (s.type != 8)
                m_bytes.append(s.data);
        }
        while (m_bytes.size() % 8 != 0)
            m_bytes.append('\0');

        m_shoff = static_cast<std::uint64_t>(m_bytes.size());
        const int count = static_cast<int>(sections.size()) + 2;
        m_bytes.append(QByteArray(count * entrySize(), '\0'));
        setHeader(HeaderField::ShOff, m_shoff);
        setHeader(HeaderField::ShEntSize, static_cast<std::uint64_t>(entrySize()));
        setHeader(HeaderField::ShNum, static_cast<std::uint64_t>(count));
        setHeader(HeaderField::ShStrNdx, 1);

        setSection(1, SectionField::Name, 1);
        setSection(1, SectionField::Type, 3); // SHT_STRTAB
        setSection(1, SectionField::Offset, namesOffset);
        setSection(1, SectionField::Size, static_cast<std::uint64_t>(names.size()));
        for (std::size_t i = 0; i < sections.size(); ++i) {
            const int index = static_cast<int>(i) + 2;
            setSection(index, SectionField::Name, nameOffsets[i]);
            setSection(index, SectionField::Type, sections[i].type);
            setSection(index, SectionField::Offset, dataOffsets[i]);
            setSection(index, SectionField::Size,
                       static_cast<std::uint64_t>(sections[i].data.size()));
        }
    }

    void setHeader(HeaderField field, std::uint64_t value)
    {
        switch (field) {
        case HeaderField::ShOff:
            put(m_is64 ? 40 : 32, value, m_is64 ? 8 : 4);
            break;
        case HeaderField::ShEntSize:
            put(m_is64 ? 58 : 46, value, 2);
            break;
        case HeaderField::ShNum:
            put(m_is64 ? 60 : 48, value, 2);
            break;
        case HeaderField::ShStrNdx:
            put(m_is64 ? 62 : 50, value, 2);
            break;
        }
    }

    void setSection(int index, SectionField field, std::uint64_t value)
    {
        const std::uint64_t at = m_shoff + static_cast<std::uint64_t>(index * entrySize());
        const int word = m_is64 ? 8 : 4;
        switch (field) {
        case SectionField::Name:
            put(at, value, 4);
            break;
        case SectionField::Type:
            put(at + 4, value, 4);
            break;
        case SectionField::Offset:
            put(at + (m_is64 ? 24 : 16), value, word);
            break;
        case SectionField::Size:
            put(at + (m_is64 ? 32 : 20), value, word);
            break;
        case SectionField::Link:
            put(at + (m_is64 ? 40 : 24), value, 4);
            break;
        }
    }

    // Offset of section `index`'s data in the file.
    std::uint64_t sectionOffset(int index) const
    {
        const std::uint64_t at = m_shoff + static_cast<std::uint64_t>(index * entrySize());
        return get(at + (m_is64 ? 24 : 16), m_is64 ? 8 : 4);
    }

    std::uint64_t shoff() const { return m_shoff; }
    QByteArray& bytes() { return m_bytes; }

private:
    int entrySize() const { return m_is64 ? 64 : 40; }

    void put(std::uint64_t at, std::uint64_t value, int width)
    {
        for (int i = 0; i < width; ++i) {
            const int shift = m_bigEndian ? 8 * (width - 1 - i) : 8 * i;
            m_bytes[static_cast<qsizetype>(at) + i] = static_cast<char>((value >> shift) & 0xFF);
        }
    }

    std::uint64_t get(std::uint64_t at, int width) const
    {
        std::uint64_t value = 0;
        for (int i = 0; i < width; ++i) {
            const int shift = m_bigEndian ? 8 * (width - 1 - i) : 8 * i;
            value |= static_cast<std::uint64_t>(
                         static_cast<unsigned char>(m_bytes[static_cast<qsizetype>(at) + i]))
                     << shift;
        }
        return value;
    }

    bool m_is64;
    bool m_bigEndian;
    std::uint64_t m_shoff = 0;
    QByteArray m_bytes;
};

inline QByteArray encodeRecord(const std::vector<VersionRecord::Entry>& entries)
{
    QByteArray out(static_cast<qsizetype>(VersionRecord::encodedSize(entries)), '\0');
    VersionRecord::encode(entries,
                          std::span<unsigned char>(reinterpret_cast<unsigned char*>(out.data()),
                                                   static_cast<std::size_t>(out.size())));
    return out;
}

} // namespace elf_image
