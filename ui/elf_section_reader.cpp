// ELF section lookup: header, section header table, section name table, and
// the section itself, each read only after its place in the file is checked.
#include "elf_section_reader.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

constexpr std::uint64_t kMaxSections = 65536;
constexpr std::uint64_t kMaxTableSize = 16 * 1024 * 1024;
constexpr std::uint64_t kMaxNameTableSize = 1024 * 1024;
constexpr std::uint32_t kSectionNoBits = 8; // SHT_NOBITS: takes no room in the file
constexpr std::uint16_t kExtendedIndex = 0xFFFF; // SHN_XINDEX

// Where the fields this reader needs sit in the two ELF classes.
struct Layout
{
    std::size_t headerSize;
    std::size_t shoff, shoffSize, shentsize, shnum, shstrndx;
    std::size_t sectionHeaderSize;
    std::size_t shName, shType, shOffset, shSize, shLink, wordSize;
};

constexpr Layout kElf32{52, 32, 4, 46, 48, 50, 40, 0, 4, 16, 20, 24, 4};
constexpr Layout kElf64{64, 40, 8, 58, 60, 62, 64, 0, 4, 24, 32, 40, 8};

class Decoder
{
public:
    explicit Decoder(bool bigEndian) : m_bigEndian(bigEndian) {}

    // The caller has checked that [at, at + bytes) lies inside `data`.
    std::uint64_t get(const QByteArray& data, std::size_t at, std::size_t bytes) const
    {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            const std::size_t index = m_bigEndian ? at + i : at + bytes - 1 - i;
            value = (value << 8) | static_cast<unsigned char>(data[static_cast<qsizetype>(index)]);
        }
        return value;
    }

private:
    bool m_bigEndian;
};

struct SectionHeader
{
    std::uint64_t name = 0;
    std::uint64_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t link = 0;
};

class ElfFile
{
public:
    explicit ElfFile(QFile& file) : m_file(file), m_size(static_cast<std::uint64_t>(file.size())) {}

    // [offset, offset + length) lies inside the file, computed without overflow.
    bool contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }

    std::optional<QByteArray> read(std::uint64_t offset, std::uint64_t length)
    {
        if (!contains(offset, length) || !m_file.seek(static_cast<qint64>(offset)))
            return std::nullopt;
        QByteArray data = m_file.read(static_cast<qint64>(length));
        if (static_cast<std::uint64_t>(data.size()) != length)
            return std::nullopt;
        return data;
    }

private:
    QFile& m_file;
    std::uint64_t m_size;
};

SectionHeader decodeSectionHeader(const QByteArray& table, std::size_t at, const Layout& l,
                                  const Decoder& d)
{
    SectionHeader h;
    h.name = d.get(table, at + l.shName, 4);
    h.type = d.get(table, at + l.shType, 4);
    h.offset = d.get(table, at + l.shOffset, l.wordSize);
    h.size = d.get(table, at + l.shSize, l.wordSize);
    h.link = d.get(table, at + l.shLink, 4);
    return h;
}

// The NUL-terminated name at `offset` of the name table, or nothing when it
// starts outside the table or runs past its end.
std::optional<std::string_view> nameAt(const QByteArray& names, std::uint64_t offset)
{
    if (offset >= static_cast<std::uint64_t>(names.size()))
        return std::nullopt;
    const char* start = names.constData() + offset;
    const std::size_t room = static_cast<std::size_t>(names.size()) - offset;
    const void* end = std::memchr(start, '\0', room);
    if (end == nullptr)
        return std::nullopt;
    return std::string_view(start, static_cast<const char*>(end) - start);
}

} // namespace

std::optional<QByteArray> readElfSection(const QString& fileName, std::string_view sectionName,
                                         std::uint64_t maxSize)
{
    // Only regular files: opening a FIFO or a device could block or never end.
    if (!QFileInfo(fileName).isFile())
        return std::nullopt;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    ElfFile elf(file);

    const std::optional<QByteArray> ident = elf.read(0, 16);
    if (!ident || !ident->startsWith("\x7f"
                                     "ELF"))
        return std::nullopt;
    const char elfClass = (*ident)[4];
    const char encoding = (*ident)[5];
    if ((elfClass != 1 && elfClass != 2) || (encoding != 1 && encoding != 2))
        return std::nullopt;
    const Layout& l = elfClass == 2 ? kElf64 : kElf32;
    const Decoder d(encoding == 2);

    const std::optional<QByteArray> header = elf.read(0, l.headerSize);
    if (!header)
        return std::nullopt;
    const std::uint64_t shoff = d.get(*header, l.shoff, l.shoffSize);
    const std::uint64_t shentsize = d.get(*header, l.shentsize, 2);
    std::uint64_t shnum = d.get(*header, l.shnum, 2);
    std::uint64_t shstrndx = d.get(*header, l.shstrndx, 2);
    if (shoff == 0 || shentsize < l.sectionHeaderSize)
        return std::nullopt;

    // Section 0 carries the real count and name table index when they do not
    // fit the header's 16-bit fields.
    const std::optional<QByteArray> first = elf.read(shoff, l.sectionHeaderSize);
    if (!first)
        return std::nullopt;
    const SectionHeader zero = decodeSectionHeader(*first, 0, l, d);
    if (shnum == 0)
        shnum = zero.size;
    if (shstrndx == kExtendedIndex)
        shstrndx = zero.link;
    if (shnum == 0 || shnum > kMaxSections || shstrndx >= shnum ||
        shnum * shentsize > kMaxTableSize)
        return std::nullopt;

    const std::optional<QByteArray> table = elf.read(shoff, shnum * shentsize);
    if (!table)
        return std::nullopt;
    auto section = [&](std::uint64_t index) {
        return decodeSectionHeader(*table, static_cast<std::size_t>(index * shentsize), l, d);
    };

    const SectionHeader nameTable = section(shstrndx);
    if (nameTable.type == kSectionNoBits || nameTable.size > kMaxNameTableSize)
        return std::nullopt;
    const std::optional<QByteArray> names = elf.read(nameTable.offset, nameTable.size);
    if (!names)
        return std::nullopt;

    for (std::uint64_t i = 0; i < shnum; ++i) {
        const SectionHeader h = section(i);
        const std::optional<std::string_view> name = nameAt(*names, h.name);
        if (!name || *name != sectionName)
            continue;
        if (h.type == kSectionNoBits || h.size > maxSize)
            return std::nullopt;
        return elf.read(h.offset, h.size);
    }
    return std::nullopt;
}
