// Random images and their field-by-field comparison, for the snapshot,
// file and command tests.
#include "support/random_image.h"

#include <string>

namespace {

int32_t Draw(std::mt19937& rng, int32_t low, int32_t high)
{
    return std::uniform_int_distribution<int32_t>(low, high)(rng);
}

template <typename Cells> void Fill(std::mt19937& rng, Cells& cells, int32_t high)
{
    for (int32_t& cell : cells)
        cell = Draw(rng, 0, high);
}

std::string Mismatch(const std::string& what, int64_t a, int64_t b)
{
    return what + ": " + std::to_string(a) + " != " + std::to_string(b);
}

template <typename Cells>
std::string FirstCell(const std::string& area, const Cells& a, const Cells& b)
{
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return Mismatch(area + " " + std::to_string(i), a[i], b[i]);
    return {};
}

} // namespace

ImageSnapshot RandomSnapshot(std::mt19937& rng)
{
    ImageSnapshot s;
    for (auto& block : s.dbWords)
        Fill(rng, block, 0xFFFF);
    for (DbDirectoryEntry& entry : s.directory) {
        entry.start = Draw(rng, 1, 0xFFFF);
        entry.exists = static_cast<uint8_t>(Draw(rng, 0, 1));
        entry.length = Draw(rng, 1, PlcImage::kDbWords);
    }
    Fill(rng, s.timers, 0xFFFF);
    Fill(rng, s.counters, 0xFFFF);
    Fill(rng, s.merkers, 0xFF);
    Fill(rng, s.inputs, 0xFF);
    Fill(rng, s.outputs, 0xFF);
    for (int32_t* base :
         {&s.bases.eb, &s.bases.ab, &s.bases.mb, &s.bases.t, &s.bases.z, &s.bases.system})
        *base = Draw(rng, 1, 0xFFFF);
    s.running = Draw(rng, 0, 1) == 1;
    s.batteryOk = Draw(rng, 0, 1) == 1;
    return s;
}

std::string FirstDifference(const ImageSnapshot& a, const ImageSnapshot& b)
{
    for (int db = 0; db < PlcImage::kDbCount; ++db) {
        const std::string name = "DB " + std::to_string(db);
        std::string d = FirstCell(name + " word", a.dbWords[db], b.dbWords[db]);
        if (!d.empty())
            return d;
        const DbDirectoryEntry& x = a.directory[db];
        const DbDirectoryEntry& y = b.directory[db];
        if (x.start != y.start)
            return Mismatch(name + " start", x.start, y.start);
        if (x.exists != y.exists)
            return Mismatch(name + " exists", x.exists, y.exists);
        if (x.length != y.length)
            return Mismatch(name + " length", x.length, y.length);
    }
    for (const std::string& d :
         {FirstCell("timer", a.timers, b.timers), FirstCell("counter", a.counters, b.counters),
          FirstCell("flag", a.merkers, b.merkers), FirstCell("input", a.inputs, b.inputs),
          FirstCell("output", a.outputs, b.outputs)})
        if (!d.empty())
            return d;
    const std::pair<const char*, std::pair<int32_t, int32_t>> bases[] = {
        {"base eb", {a.bases.eb, b.bases.eb}}, {"base ab", {a.bases.ab, b.bases.ab}},
        {"base mb", {a.bases.mb, b.bases.mb}}, {"base t", {a.bases.t, b.bases.t}},
        {"base z", {a.bases.z, b.bases.z}},    {"base system", {a.bases.system, b.bases.system}},
    };
    for (const auto& [name, values] : bases)
        if (values.first != values.second)
            return Mismatch(name, values.first, values.second);
    if (a.running != b.running)
        return Mismatch("running", a.running, b.running);
    if (a.batteryOk != b.batteryOk)
        return Mismatch("batteryOk", a.batteryOk, b.batteryOk);
    // Every field is compared above; this catches one added to the snapshot
    // and not here.
    return a == b ? std::string() : std::string("a field FirstDifference does not know");
}
