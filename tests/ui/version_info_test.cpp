// VersionInfoString: the record this test program carries, files without a
// record, and a table of malformed ELF files and records built in memory.
#include "elf_image.h"
#include "ui/version_info.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

using elf_image::HeaderField;
using elf_image::Image;
using elf_image::SectionField;
using Entries = std::vector<VersionRecord::Entry>;

constexpr int kRecordSection = 3; // after null, .shstrtab and .text
const std::string_view kTranslation("\x10\x04\xE4\x04", 4);
const std::string_view kFileVersionPath = "\\StringFileInfo\\041004E4\\FileVersion";

Entries standardEntries()
{
    return {{VersionRecord::kTranslationPath, kTranslation},
            {kFileVersionPath, "1.3.0.4"},
            {"\\StringFileInfo\\041004E4\\ProductVersion", "1.3"}};
}

Image imageWith(const QByteArray& record, bool is64 = true, bool bigEndian = false,
                const char* sectionName = ".orvane_version")
{
    return Image({{".text", 1, QByteArray("\x90\x90\xc3", 3)}, {sectionName, 1, record}}, is64,
                 bigEndian);
}

Image standardImage(bool is64 = true, bool bigEndian = false)
{
    return imageWith(elf_image::encodeRecord(standardEntries()), is64, bigEndian);
}

QByteArray standardWith(const std::function<void(Image&)>& breakIt)
{
    Image image = standardImage();
    breakIt(image);
    return image.bytes();
}

QByteArray recordWith(const Entries& entries)
{
    return imageWith(elf_image::encodeRecord(entries)).bytes();
}

QByteArray recordPatched(const std::function<void(QByteArray&)>& breakIt)
{
    QByteArray record = elf_image::encodeRecord(standardEntries());
    breakIt(record);
    return imageWith(record).bytes();
}

QString fileVersionOf(const QByteArray& contents)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("program");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    file.close();
    return VersionInfoString(path, "FileVersion");
}

struct FileCase
{
    const char* name;
    std::function<QByteArray()> contents;
    const char* expected;
};

void PrintTo(const FileCase& c, std::ostream* os)
{
    *os << c.name;
}

class VersionInfoFiles : public ::testing::TestWithParam<FileCase>
{};

TEST_P(VersionInfoFiles, FileVersion)
{
    EXPECT_EQ(fileVersionOf(GetParam().contents()), QString::fromUtf8(GetParam().expected));
}

constexpr std::uint64_t kHuge = 0xFFFFFFFFFFFFFFF0ull;

INSTANTIATE_TEST_SUITE_P(
    WellFormed, VersionInfoFiles,
    ::testing::Values(
        FileCase{"Elf64Little", [] { return standardImage().bytes(); }, "1.3.0.4"},
        FileCase{"Elf32Little", [] { return standardImage(false).bytes(); }, "1.3.0.4"},
        FileCase{"Elf64Big", [] { return standardImage(true, true).bytes(); }, "1.3.0.4"},
        FileCase{"Elf32Big", [] { return standardImage(false, true).bytes(); }, "1.3.0.4"},
        FileCase{"SectionCountInSectionZero",
                 [] {
                     return standardWith([](Image& i) {
                         i.setHeader(HeaderField::ShNum, 0);
                         i.setSection(0, SectionField::Size, 4);
                     });
                 },
                 "1.3.0.4"},
        FileCase{"NameTableIndexInSectionZero",
                 [] {
                     return standardWith([](Image& i) {
                         i.setHeader(HeaderField::ShStrNdx, 0xFFFF);
                         i.setSection(0, SectionField::Link, 1);
                     });
                 },
                 "1.3.0.4"},
        FileCase{"ValueEndsAtItsTerminator",
                 [] {
                     return recordWith({{VersionRecord::kTranslationPath, kTranslation},
                                        {kFileVersionPath, std::string_view("1.3.0.4\0xx", 10)}});
                 },
                 "1.3.0.4"},
        FileCase{"FirstTranslationEntryWins",
                 [] {
                     return recordWith(
                         {{VersionRecord::kTranslationPath,
                           std::string_view("\x09\x04\xB0\x04\x10\x04\xE4\x04", 8)},
                          {kFileVersionPath, "1.3.0.4"},
                          {"\\StringFileInfo\\040904B0\\FileVersion", "9.9"}});
                 },
                 "9.9"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    MalformedElf, VersionInfoFiles,
    ::testing::Values(
        FileCase{"EmptyFile", [] { return QByteArray(); }, ""},
        FileCase{"PlainText", [] { return QByteArray("FileVersion 1.3.0.4\n"); }, ""},
        FileCase{"TruncatedInIdent", [] { return standardImage().bytes().left(10); }, ""},
        FileCase{"TruncatedInHeader", [] { return standardImage().bytes().left(40); }, ""},
        FileCase{"TruncatedInSectionTable",
                 [] {
                     Image i = standardImage();
                     return i.bytes().left(static_cast<qsizetype>(i.shoff() + 3 * 64 + 10));
                 },
                 ""},
        FileCase{"BadMagic", [] { return standardWith([](Image& i) { i.bytes()[1] = 'X'; }); },
                 ""},
        FileCase{"BadClass", [] { return standardWith([](Image& i) { i.bytes()[4] = 3; }); }, ""},
        FileCase{"BadByteOrder", [] { return standardWith([](Image& i) { i.bytes()[5] = 0; }); },
                 ""},
        FileCase{"NoSectionTable",
                 [] { return standardWith([](Image& i) { i.setHeader(HeaderField::ShOff, 0); }); },
                 ""},
        FileCase{"SectionTablePastEnd",
                 [] {
                     return standardWith([](Image& i) {
                         i.setHeader(HeaderField::ShOff, static_cast<std::uint64_t>(i.bytes().size()));
                     });
                 },
                 ""},
        FileCase{"SectionTableOffsetWraps",
                 [] {
                     return standardWith([](Image& i) { i.setHeader(HeaderField::ShOff, kHuge); });
                 },
                 ""},
        FileCase{"SectionEntryTooSmall",
                 [] {
                     return standardWith([](Image& i) { i.setHeader(HeaderField::ShEntSize, 16); });
                 },
                 ""},
        FileCase{"SectionCountPastEnd",
                 [] {
                     return standardWith([](Image& i) { i.setHeader(HeaderField::ShNum, 0xFFFE); });
                 },
                 ""},
        FileCase{"NameTableIndexOutOfRange",
                 [] {
                     return standardWith([](Image& i) { i.setHeader(HeaderField::ShStrNdx, 4); });
                 },
                 ""},
        FileCase{"NameTableWithoutData",
                 [] {
                     return standardWith([](Image& i) { i.setSection(1, SectionField::Type, 8); });
                 },
                 ""},
        FileCase{"NameTableSizeWraps",
                 [] {
                     return standardWith(
                         [](Image& i) { i.setSection(1, SectionField::Size, ~0ull); });
                 },
                 ""},
        FileCase{"NameOffsetPastNameTable",
                 [] {
                     return standardWith([](Image& i) {
                         i.setSection(kRecordSection, SectionField::Name, 0xFFFFFF);
                     });
                 },
                 ""},
        FileCase{"NameRunsPastNameTable",
                 [] {
                     // ".orvane_version" is the table's last name; cut its NUL.
                     return standardWith([](Image& i) {
                         i.setSection(1, SectionField::Size, 11 + 6 + 15);
                     });
                 },
                 ""},
        FileCase{"RecordOffsetWraps",
                 [] {
                     return standardWith([](Image& i) {
                         i.setSection(kRecordSection, SectionField::Offset, kHuge);
                     });
                 },
                 ""},
        FileCase{"RecordSizeWraps",
                 [] {
                     return standardWith([](Image& i) {
                         i.setSection(kRecordSection, SectionField::Offset, 8);
                         i.setSection(kRecordSection, SectionField::Size, ~0ull - 7);
                     });
                 },
                 ""},
        FileCase{"RecordPastEnd",
                 [] {
                     return standardWith([](Image& i) {
                         i.setSection(kRecordSection, SectionField::Offset,
                                      static_cast<std::uint64_t>(i.bytes().size()) - 5);
                     });
                 },
                 ""},
        FileCase{"RecordWithoutData",
                 [] {
                     return standardWith([](Image& i) {
                         i.setSection(kRecordSection, SectionField::Type, 8);
                     });
                 },
                 ""},
        FileCase{"OnlyALongerSectionName",
                 [] {
                     return imageWith(elf_image::encodeRecord(standardEntries()), true, false,
                                      ".orvane_version2")
                         .bytes();
                 },
                 ""}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    MalformedRecord, VersionInfoFiles,
    ::testing::Values(
        FileCase{"BadRecordMagic", [] { return recordPatched([](QByteArray& r) { r[0] = 'X'; }); },
                 ""},
        FileCase{"RecordShorterThanHeader",
                 [] { return recordPatched([](QByteArray& r) { r.truncate(10); }); }, ""},
        FileCase{"CountStopsBeforeTheString",
                 [] { return recordPatched([](QByteArray& r) { r[8] = 1; }); }, ""},
        FileCase{"CountBeyondTheEntries",
                 [] {
                     return recordWith({{VersionRecord::kTranslationPath, kTranslation}});
                 },
                 ""},
        FileCase{"EntryCountHuge",
                 [] {
                     return recordPatched([](QByteArray& r) {
                         r[8] = r[9] = r[10] = r[11] = '\xFF';
                         r.truncate(r.size() - 4); // the last entry is cut short
                     });
                 },
                 "1.3.0.4"},
        FileCase{"PathLengthPastRecord",
                 [] {
                     return recordPatched([](QByteArray& r) { r[12] = r[13] = '\xFF'; });
                 },
                 ""},
        FileCase{"NoTranslationTable",
                 [] { return recordWith({{kFileVersionPath, "1.3.0.4"}}); }, ""},
        FileCase{"TranslationTooShort",
                 [] {
                     return recordWith({{VersionRecord::kTranslationPath, kTranslation.substr(0, 2)},
                                        {kFileVersionPath, "1.3.0.4"}});
                 },
                 ""},
        FileCase{"OtherLanguage",
                 [] {
                     return recordWith({{VersionRecord::kTranslationPath,
                                         std::string_view("\x09\x04\xB0\x04", 4)},
                                        {kFileVersionPath, "1.3.0.4"}});
                 },
                 ""},
        FileCase{"LowerCaseTablePath",
                 [] {
                     return recordWith({{VersionRecord::kTranslationPath, kTranslation},
                                        {"\\StringFileInfo\\041004e4\\FileVersion", "1.3.0.4"}});
                 },
                 ""},
        FileCase{"NoFileVersion",
                 [] {
                     return recordWith({{VersionRecord::kTranslationPath, kTranslation},
                                        {"\\StringFileInfo\\041004E4\\ProductVersion", "1.3"}});
                 },
                 ""}),
    [](const auto& info) { return std::string(info.param.name); });

// This test program is linked with the program's record.
TEST(VersionInfo, OwnProgramFileCarriesTheRecord)
{
    EXPECT_EQ(VersionInfoString("/proc/self/exe", "FileVersion"), "1.3.0.4");
    EXPECT_EQ(VersionInfoString("/proc/self/exe", "ProductVersion"), "1.3");
    EXPECT_EQ(VersionInfoString("/proc/self/exe", "NoSuchKey"), "");
}

TEST(VersionInfo, FilesWithoutARecord)
{
    for (const char* name : {"/bin/true", "/no/such/file", "/", "/dev/null", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(VersionInfoString(name, "FileVersion"), "");
    }
}

} // namespace
