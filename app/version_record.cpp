// The program file's version record, placed in a section of its own so that
// the about box can read it back from the file. Compiled straight into the
// executable (orvane_add_version_record) rather than through a library, so
// the linker always keeps it.
#include "ui/version_record_format.h"

#include <array>

#if !defined(ORVANE_VERSION_MAJOR) || !defined(ORVANE_VERSION_MINOR) ||                          \
    !defined(ORVANE_VERSION_PATCH) || !defined(ORVANE_VERSION_TWEAK)
#error "Add this file with orvane_add_version_record(), which passes the version numbers."
#endif

#define ORVANE_STRINGIFY_(x) #x
#define ORVANE_STRINGIFY(x) ORVANE_STRINGIFY_(x)

namespace {

// Language 0410, code page 04E4: the only entry of the translation table.
constexpr char kTranslation[] = {'\x10', '\x04', '\xE4', '\x04'};

constexpr VersionRecord::Entry kEntries[] = {
    {VersionRecord::kTranslationPath, std::string_view(kTranslation, sizeof kTranslation)},
    {"\\StringFileInfo\\041004E4\\FileDescription", "Orvane PLC emulator"},
    {"\\StringFileInfo\\041004E4\\FileVersion",
     ORVANE_STRINGIFY(ORVANE_VERSION_MAJOR) "." ORVANE_STRINGIFY(ORVANE_VERSION_MINOR) "." ORVANE_STRINGIFY(
         ORVANE_VERSION_PATCH) "." ORVANE_STRINGIFY(ORVANE_VERSION_TWEAK)},
    {"\\StringFileInfo\\041004E4\\ProductName", "Orvane"},
    {"\\StringFileInfo\\041004E4\\ProductVersion",
     ORVANE_STRINGIFY(ORVANE_VERSION_MAJOR) "." ORVANE_STRINGIFY(ORVANE_VERSION_MINOR)},
    {"\\StringFileInfo\\041004E4\\LegalCopyright", "Copyright 2025-2026 Orvane developers"},
};

static_assert(VersionRecord::kSectionName == ".orvane_version",
              "the section attribute below names the record's section");

constexpr std::size_t kRecordSize = VersionRecord::encodedSize(kEntries);
static_assert(kRecordSize <= VersionRecord::kMaxRecordSize);

constexpr std::array<unsigned char, kRecordSize> makeRecord()
{
    std::array<unsigned char, kRecordSize> record{};
    VersionRecord::encode(kEntries, record);
    return record;
}

// "used" keeps the unreferenced constant in the object file, "retain" keeps
// its section through --gc-sections.
[[gnu::section(".orvane_version"), gnu::used, gnu::retain]] const std::array<unsigned char,
                                                                              kRecordSize>
    kVersionRecord = makeRecord();

} // namespace
