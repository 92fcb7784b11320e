// The emulated controller's memory and its AS511 address map. Every value
// is a relaxed atomic: the worker and the user-interface thread share the
// image without a lock, and only whole values need to be seen.
#include "core/plc_image.h"

#include <utility>

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

constexpr AreaBases kDefaultBases{};

bool IsValidDb(int db)
{
    return db >= 0 && db < PlcImage::kDbCount;
}

} // namespace

PlcImage::PlcImage()
{
    for (int n = 0; n < kDbCount; ++n) {
        m_directory[n].start.store(DefaultDbStart(n), kRelaxed);
        m_directory[n].exists.store(1, kRelaxed);
        m_directory[n].length.store(kDbWords, kRelaxed);
    }
}

int32_t PlcImage::ReadDbWord(int db, int word) const
{
    if (!IsValidDb(db) || word < 0 || word >= kDbWords)
        return 0;
    return m_dbWords[db][word].load(kRelaxed);
}

void PlcImage::WriteDbWord(int db, int word, int32_t value)
{
    if (!IsValidDb(db) || word < 0 || word >= kDbWords)
        return;
    m_dbWords[db][word].store(value, kRelaxed);
}

std::atomic<int32_t>* PlcImage::CellSlot(PlcArea area, int index)
{
    return const_cast<std::atomic<int32_t>*>(std::as_const(*this).CellSlot(area, index));
}

const std::atomic<int32_t>* PlcImage::CellSlot(PlcArea area, int index) const
{
    if (index < 0)
        return nullptr;
    switch (area) {
    case PlcArea::T:
        return index < kWordCells ? &m_timers[index] : nullptr;
    case PlcArea::Z:
        return index < kWordCells ? &m_counters[index] : nullptr;
    case PlcArea::MB:
        return index < kMerkers ? &m_merkers[index] : nullptr;
    case PlcArea::EB:
        return index < kIoBytes ? &m_inputs[index] : nullptr;
    case PlcArea::AB:
        return index < kIoBytes ? &m_outputs[index] : nullptr;
    default:
        return nullptr;
    }
}

int32_t PlcImage::ReadCell(PlcArea area, int index) const
{
    const std::atomic<int32_t>* slot = CellSlot(area, index);
    return slot ? slot->load(kRelaxed) : 0;
}

void PlcImage::WriteCell(PlcArea area, int index, int32_t value)
{
    if (std::atomic<int32_t>* slot = CellSlot(area, index))
        slot->store(value, kRelaxed);
}

void PlcImage::ClearDb(int db)
{
    if (!IsValidDb(db))
        return;
    for (auto& word : m_dbWords[db])
        word.store(0, kRelaxed);
}

void PlcImage::ClearArea(PlcArea area)
{
    const int count = area == PlcArea::MB ? kMerkers : kWordCells;
    for (int i = 0; i < count; ++i)
        WriteCell(area, i, 0);
}

void PlcImage::ResetToDefaults()
{
    for (int n = 0; n < kDbCount; ++n) {
        for (auto& word : m_dbWords[n])
            word.store(0, kRelaxed);
        m_timers[n].store(0, kRelaxed);
        m_counters[n].store(0, kRelaxed);
        m_inputs[n].store(0, kRelaxed);
        m_outputs[n].store(0, kRelaxed);
        m_directory[n].start.store(DefaultDbStart(n), kRelaxed);
        m_directory[n].exists.store(1, kRelaxed);
        m_directory[n].length.store(kDbWords, kRelaxed);
    }
    for (auto& merker : m_merkers)
        merker.store(0, kRelaxed);
    m_eb.store(kDefaultBases.eb, kRelaxed);
    m_ab.store(kDefaultBases.ab, kRelaxed);
    m_mb.store(kDefaultBases.mb, kRelaxed);
    m_t.store(kDefaultBases.t, kRelaxed);
    m_z.store(kDefaultBases.z, kRelaxed);
    m_system.store(kDefaultBases.system, kRelaxed);
}

DbDirectoryEntry PlcImage::DbEntry(int db) const
{
    DbDirectoryEntry entry;
    if (!IsValidDb(db))
        return entry;
    entry.start = m_directory[db].start.load(kRelaxed);
    entry.exists = m_directory[db].exists.load(kRelaxed);
    entry.length = m_directory[db].length.load(kRelaxed);
    return entry;
}

void PlcImage::SetDbExists(int db, bool exists)
{
    if (IsValidDb(db))
        m_directory[db].exists.store(exists ? 1 : 0, kRelaxed);
}

void PlcImage::SetDbStart(int db, int32_t address)
{
    if (IsValidDb(db))
        m_directory[db].start.store(address, kRelaxed);
}

void PlcImage::SetDbLength(int db, int32_t words)
{
    if (IsValidDb(db))
        m_directory[db].length.store(words, kRelaxed);
}

int32_t PlcImage::AreaBase(PlcArea area) const
{
    switch (area) {
    case PlcArea::EB:
        return m_eb.load(kRelaxed);
    case PlcArea::AB:
        return m_ab.load(kRelaxed);
    case PlcArea::MB:
        return m_mb.load(kRelaxed);
    case PlcArea::T:
        return m_t.load(kRelaxed);
    case PlcArea::Z:
        return m_z.load(kRelaxed);
    case PlcArea::System:
        return m_system.load(kRelaxed);
    default:
        return 0;
    }
}

void PlcImage::SetAreaBase(PlcArea area, int32_t address)
{
    switch (area) {
    case PlcArea::EB:
        m_eb.store(address, kRelaxed);
        break;
    case PlcArea::AB:
        m_ab.store(address, kRelaxed);
        break;
    case PlcArea::MB:
        m_mb.store(address, kRelaxed);
        break;
    case PlcArea::T:
        m_t.store(address, kRelaxed);
        break;
    case PlcArea::Z:
        m_z.store(address, kRelaxed);
        break;
    default:
        break; // the system base has a setter of its own
    }
}

void PlcImage::SetSystemBase(int32_t address)
{
    m_system.store(address, kRelaxed);
}

AreaBases PlcImage::Bases() const
{
    AreaBases bases;
    bases.eb = m_eb.load(kRelaxed);
    bases.ab = m_ab.load(kRelaxed);
    bases.mb = m_mb.load(kRelaxed);
    bases.t = m_t.load(kRelaxed);
    bases.z = m_z.load(kRelaxed);
    bases.system = m_system.load(kRelaxed);
    return bases;
}

bool PlcImage::IsRunning() const
{
    return m_running.load(kRelaxed) == 1;
}
void PlcImage::SetRunning(bool running)
{
    m_running.store(running ? 1 : 0, kRelaxed);
}
bool PlcImage::IsBatteryOk() const
{
    return m_batteryOk.load(kRelaxed) == 1;
}
void PlcImage::SetBatteryOk(bool ok)
{
    m_batteryOk.store(ok ? 1 : 0, kRelaxed);
}

uint8_t PlcImage::StatusByte() const
{
    uint8_t status = 0;
    if (m_batteryOk.load(kRelaxed) == 1)
        status |= kStatusBatteryOk;
    if (m_running.load(kRelaxed) == 0)
        status |= kStatusStop;
    return status;
}

void PlcImage::ApplyStatusByte(uint8_t b)
{
    m_batteryOk.store((b & kStatusBatteryOk) ? 1 : 0, kRelaxed);
    m_running.store((b & kStatusStop) ? 0 : 1, kRelaxed);
}

int PlcImage::FindDb(int32_t address) const
{
    // 64-bit so that a start near the top of the int range cannot overflow.
    const int64_t a = address;
    for (int n = 0; n < kDbCount; ++n) {
        const int64_t start = m_directory[n].start.load(kRelaxed);
        if (start <= a && a < start + kDbWindowBytes)
            return n;
    }
    return -1;
}

ResolvedAddress PlcImage::ResolveAddress(int32_t address) const
{
    const int db = FindDb(address);
    if (db >= 0)
        return {PlcArea::DB, db};

    const int64_t a = address;
    const int64_t system = m_system.load(kRelaxed);
    const int64_t t = m_t.load(kRelaxed);
    const int64_t z = m_z.load(kRelaxed);
    const int64_t mb = m_mb.load(kRelaxed);
    const int64_t eb = m_eb.load(kRelaxed);
    const int64_t ab = m_ab.load(kRelaxed);
    // Each range ends at the next area's base, not at the area's size; only
    // the output bytes have a fixed extent.
    if (system <= a && a < t)
        return {PlcArea::System, -1};
    if (t <= a && a < z)
        return {PlcArea::T, -1};
    if (z <= a && a < mb)
        return {PlcArea::Z, -1};
    if (mb <= a && a < eb)
        return {PlcArea::MB, -1};
    if (eb <= a && a < ab)
        return {PlcArea::EB, -1};
    if (ab <= a && a < ab + kAbExtent)
        return {PlcArea::AB, -1};
    return {PlcArea::None, -1};
}

int64_t PlcImage::CellBase(ResolvedAddress where) const
{
    if (where.area == PlcArea::DB)
        return IsValidDb(where.db) ? m_directory[where.db].start.load(kRelaxed) : 0;
    return AreaBase(where.area);
}

int PlcImage::IndexFromBase(PlcArea area, int64_t base, int64_t address)
{
    const int64_t offset = address - base;
    if (offset < 0)
        return -1;
    int64_t index = 0;
    int64_t count = 0;
    switch (area) {
    case PlcArea::DB:
        index = offset / 2;
        count = kDbWords;
        break;
    case PlcArea::T:
    case PlcArea::Z:
        index = offset / 2;
        count = kWordCells;
        break;
    case PlcArea::MB:
        index = offset;
        count = kMerkers;
        break;
    case PlcArea::EB:
    case PlcArea::AB:
        index = offset;
        count = kIoBytes;
        break;
    default:
        return -1;
    }
    return index < count ? static_cast<int>(index) : -1;
}

int PlcImage::CellIndex(PlcArea area, int db, int32_t address) const
{
    if (area == PlcArea::DB && !IsValidDb(db))
        return -1;
    return IndexFromBase(area, CellBase({area, db}), address);
}
