// The check of what an exchange changed.
#include "fuzz/image_change.h"

#include <cstdio>
#include <cstring>

#include "core/request_record.h"

namespace {

// The cells a write record names: area (None when the text names no
// cells, System for the status byte) and, for cells, first to last.
struct NamedCells
{
    bool parsed = false;
    PlcArea area = PlcArea::None;
    int db = -1;
    int first = 0;
    int last = 0;
};

PlcArea AreaNamed(const char* name)
{
    const char* names[] = {"T", "Z", "MB", "EB", "AB"};
    const PlcArea areas[] = {PlcArea::T, PlcArea::Z, PlcArea::MB, PlcArea::EB, PlcArea::AB};
    for (int i = 0; i < 5; ++i)
        if (std::strcmp(name, names[i]) == 0)
            return areas[i];
    return PlcArea::None;
}

// sscanf whose format must take the whole text.
template <typename... Args> bool Whole(const char* text, const char* format, Args*... args)
{
    int used = -1;
    char full[96];
    std::snprintf(full, sizeof full, "%s%%n", format);
    const int matched = std::sscanf(text, full, args..., &used);
    return matched == static_cast<int>(sizeof...(Args)) && used >= 0 && text[used] == '\0';
}

NamedCells ParseWrite(const RequestRecord& record)
{
    NamedCells named;
    const char* text = record.description;
    char name[3] = {};
    char name2[3] = {};
    if (std::strcmp(text, "Block Write (System)") == 0) {
        named.area = PlcArea::System;
        named.parsed = true;
    } else if (Whole(text, "Block Write (DB %d, DW %d - DW %d)", &named.db, &named.first,
                     &named.last) ||
               Whole(text, "Block Write (DB %d, DW %d)", &named.db, &named.first)) {
        named.area = PlcArea::DB;
        named.parsed = true;
    } else if (Whole(text, "Block Write (%2[A-Z] %d - %2[A-Z] %d)", name, &named.first, name2,
                     &named.last)) {
        named.area = AreaNamed(name);
        named.parsed = named.area != PlcArea::None && std::strcmp(name, name2) == 0;
    } else if (Whole(text, "Block Write (%2[A-Z] %d)", name, &named.first)) {
        named.area = AreaNamed(name);
        named.parsed = named.area != PlcArea::None;
    }
    if (named.parsed && named.area != PlcArea::System && named.last < named.first)
        named.last = named.first; // the one-cell form
    return named;
}

int32_t* CellOf(ImageSnapshot& image, PlcArea area, int db, int index)
{
    auto at = [index](auto& cells) -> int32_t* {
        return index >= 0 && index < static_cast<int>(cells.size()) ? &cells[index] : nullptr;
    };
    switch (area) {
    case PlcArea::DB:
        return db >= 0 && db < PlcImage::kDbCount ? at(image.dbWords[db]) : nullptr;
    case PlcArea::T:
        return at(image.timers);
    case PlcArea::Z:
        return at(image.counters);
    case PlcArea::MB:
        return at(image.merkers);
    case PlcArea::EB:
        return at(image.inputs);
    case PlcArea::AB:
        return at(image.outputs);
    default:
        return nullptr;
    }
}

// The record's changes applied to a copy of before, or an explanation of
// why the record cannot be applied.
std::string Expected(const ImageSnapshot& before, const RequestRecord& write,
                     ImageSnapshot& expected)
{
    expected = before;
    const NamedCells named = ParseWrite(write);
    if (!named.parsed)
        return std::string("write record names no cells: \"") + write.description + "\"";
    if (named.area == PlcArea::System) {
        if (write.valueCount > 1)
            return "System write record lists more than the status byte";
        if (write.valueCount == 1) {
            const int32_t status = write.values[0];
            expected.batteryOk = (status & 0x08) != 0;
            expected.running = (status & 0x40) == 0;
        }
        return {};
    }
    if (write.valueCount == 0)
        return {}; // the walk reached no cell; the text names the one start would have
    if (named.last - named.first + 1 != write.valueCount)
        return std::string("write record \"") + write.description + "\" lists " +
               std::to_string(write.valueCount) + " values";
    for (int i = 0; i < write.valueCount; ++i) {
        int32_t* cell = CellOf(expected, named.area, named.db, named.first + i);
        if (!cell)
            return std::string("write record \"") + write.description + "\" names no such cell";
        *cell = write.values[i];
    }
    return {};
}

template <typename Cells>
std::string CompareCells(const char* what, const Cells& expected, const Cells& after,
                         const Cells& before)
{
    for (size_t i = 0; i < expected.size(); ++i)
        if (expected[i] != after[i])
            return std::string(what) + " " + std::to_string(i) + ": was " +
                   std::to_string(before[i]) + ", expected " + std::to_string(expected[i]) +
                   ", is " + std::to_string(after[i]);
    return {};
}

bool SameEntry(const DbDirectoryEntry& a, const DbDirectoryEntry& b)
{
    return a.start == b.start && a.exists == b.exists && a.length == b.length;
}

bool SameBases(const AreaBases& a, const AreaBases& b)
{
    return a.eb == b.eb && a.ab == b.ab && a.mb == b.mb && a.t == b.t && a.z == b.z &&
           a.system == b.system;
}

} // namespace

bool IsWriteRecord(const RequestRecord& record)
{
    return std::strncmp(record.description, "Block Write", 11) == 0;
}

std::string ExplainImageChange(const ImageSnapshot& before, const ImageSnapshot& after,
                               const RequestRecord* write)
{
    ImageSnapshot expected = before;
    if (write) {
        std::string error = Expected(before, *write, expected);
        if (!error.empty())
            return error;
    }
    for (int db = 0; db < PlcImage::kDbCount; ++db) {
        if (expected.dbWords[db] == after.dbWords[db])
            continue;
        const std::string name = "DB " + std::to_string(db) + " DW";
        return CompareCells(name.c_str(), expected.dbWords[db], after.dbWords[db], before.dbWords[db]);
    }
    for (std::string error : {CompareCells("T", expected.timers, after.timers, before.timers),
                              CompareCells("Z", expected.counters, after.counters, before.counters),
                              CompareCells("MB", expected.merkers, after.merkers, before.merkers),
                              CompareCells("EB", expected.inputs, after.inputs, before.inputs),
                              CompareCells("AB", expected.outputs, after.outputs, before.outputs)})
        if (!error.empty())
            return error;
    for (int db = 0; db < PlcImage::kDbCount; ++db)
        if (!SameEntry(before.directory[db], after.directory[db]))
            return "directory entry of DB " + std::to_string(db) + " changed";
    if (!SameBases(before.bases, after.bases))
        return "an area base changed";
    if (expected.running != after.running || expected.batteryOk != after.batteryOk)
        return std::string("RUN/battery: expected ") + (expected.running ? "RUN" : "STOP") + "/" +
               (expected.batteryOk ? "OK" : "FAULT") + ", is " + (after.running ? "RUN" : "STOP") +
               "/" + (after.batteryOk ? "OK" : "FAULT");
    return {};
}
