// The emulated controller's memory: data blocks, timers, counters, flag,
// input and output bytes, the data block directory, the area bases and the
// RUN/STOP and battery state, with the AS511 address map over them.
//
// Shared by the worker and the user-interface thread without a lock: every
// cell, directory field, base and flag is an atomic read and written whole,
// so the last writer of a value wins and no reader sees half of one.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

enum class PlcArea
{
    DB,
    T,
    Z,
    MB,
    EB,
    AB,
    System,
    None
};

struct DbDirectoryEntry
{
    int32_t start = 0;  // AS511 byte address of DW 0
    uint8_t exists = 0; // 1 = the block exists
    int32_t length = 0; // length in data words

    bool operator==(const DbDirectoryEntry&) const = default;
};

struct AreaBases
{
    int32_t eb = 0xEF00;
    int32_t ab = 0xEF80;
    int32_t mb = 0xEE00;
    int32_t t = 0xEC00;
    int32_t z = 0xED00;
    int32_t system = 0xEA00;

    bool operator==(const AreaBases&) const = default;
};

struct ResolvedAddress
{
    PlcArea area = PlcArea::None;
    int db = -1; // data block number for PlcArea::DB, else -1
};

class PlcImage
{
  public:
    static constexpr int kDbCount = 128;
    static constexpr int kDbWords = 128;
    static constexpr int kDirectorySize = 256; // entries 128..255 always read empty
    static constexpr int kWordCells = 128;     // T, Z
    static constexpr int kMerkers = 256;
    static constexpr int kIoBytes = 128;         // EB, AB
    static constexpr int kStatusByteOffset = 12; // status byte at system + 12
    static constexpr uint8_t kStatusBatteryOk = 0x08;
    static constexpr uint8_t kStatusStop = 0x40;
    static constexpr int kDbWindowBytes = 256;
    static constexpr int kAbExtent = 128;

    static constexpr int32_t DefaultDbStart(int db) { return 0xE08A - 0x100 * db; }

    // Every cell 0, directory and bases at their defaults, RUN, battery OK.
    PlcImage();

    PlcImage(const PlcImage&) = delete;
    PlcImage& operator=(const PlcImage&) = delete;

    // Cell access. Out-of-range arguments read 0 and write nothing.
    int32_t ReadDbWord(int db, int word) const;
    void WriteDbWord(int db, int word, int32_t value);
    // area is T, Z, MB, EB or AB; index 0..255 for MB, else 0..127.
    int32_t ReadCell(PlcArea area, int index) const;
    void WriteCell(PlcArea area, int index, int32_t value);

    void ClearDb(int db);
    void ClearArea(PlcArea area);
    // Cells 0, directory and bases at their defaults; RUN/battery untouched.
    void ResetToDefaults();

    // db 0..255; entries outside 0..127 are the empty entry (start 0, not
    // existing, length 0).
    DbDirectoryEntry DbEntry(int db) const;
    void SetDbExists(int db, bool exists);
    void SetDbStart(int db, int32_t address);
    void SetDbLength(int db, int32_t words);

    // area is EB, AB, MB, T, Z or System; anything else gives 0.
    int32_t AreaBase(PlcArea area) const;
    // area is EB, AB, MB, T or Z; System and the others are left alone.
    void SetAreaBase(PlcArea area, int32_t address);
    // The system base is not the operator's to move; only a reset and a
    // saved image being loaded write it.
    void SetSystemBase(int32_t address);
    AreaBases Bases() const;

    bool IsRunning() const;
    void SetRunning(bool running);
    bool IsBatteryOk() const;
    void SetBatteryOk(bool ok);

    uint8_t StatusByte() const;
    void ApplyStatusByte(uint8_t b);

    // The lowest data block whose 256-byte window holds address, or -1.
    int FindDb(int32_t address) const;
    ResolvedAddress ResolveAddress(int32_t address) const;
    // The cell that address reaches within an area already chosen, or -1.
    // Addresses below the area's base (or the block's start) reach no cell.
    int CellIndex(PlcArea area, int db, int32_t address) const;

    // Visits the cells of a transfer from start to end (both inclusive),
    // resolved on start alone, in ascending address order: word areas step
    // by 2, byte areas by 1. Calls visit(address, cellIndex) for every
    // address that reaches a cell; the walk never leaves the area or block
    // resolved on start. Returns the resolved area. The System area and
    // None visit nothing.
    template <typename Visit>
    ResolvedAddress WalkRange(int32_t start, int32_t end, Visit&& visit) const;
    // The same walk in an area the caller has already resolved on start,
    // so that one resolution serves both the walk and the caller.
    template <typename Visit>
    void WalkResolved(ResolvedAddress where, int32_t start, int32_t end, Visit&& visit) const;

    static bool IsWordArea(PlcArea area)
    {
        return area == PlcArea::DB || area == PlcArea::T || area == PlcArea::Z;
    }

  private:
    struct AtomicEntry
    {
        std::atomic<int32_t> start{0};
        std::atomic<uint8_t> exists{0};
        std::atomic<int32_t> length{0};
    };

    std::atomic<int32_t>* CellSlot(PlcArea area, int index);
    const std::atomic<int32_t>* CellSlot(PlcArea area, int index) const;
    // Address of cell 0 of an area (DW 0 of the block for DB).
    int64_t CellBase(ResolvedAddress where) const;
    // Cell reached by address from base; -1 below the base or past the last cell.
    static int IndexFromBase(PlcArea area, int64_t base, int64_t address);

    std::array<std::array<std::atomic<int32_t>, kDbWords>, kDbCount> m_dbWords{};
    std::array<std::atomic<int32_t>, kWordCells> m_timers{};
    std::array<std::atomic<int32_t>, kWordCells> m_counters{};
    std::array<std::atomic<int32_t>, kMerkers> m_merkers{};
    std::array<std::atomic<int32_t>, kIoBytes> m_inputs{};
    std::array<std::atomic<int32_t>, kIoBytes> m_outputs{};
    std::array<AtomicEntry, kDbCount> m_directory{};
    std::atomic<int32_t> m_eb{0xEF00};
    std::atomic<int32_t> m_ab{0xEF80};
    std::atomic<int32_t> m_mb{0xEE00};
    std::atomic<int32_t> m_t{0xEC00};
    std::atomic<int32_t> m_z{0xED00};
    std::atomic<int32_t> m_system{0xEA00};
    std::atomic<int32_t> m_running{1};
    std::atomic<int32_t> m_batteryOk{1};
};

template <typename Visit>
ResolvedAddress PlcImage::WalkRange(int32_t start, int32_t end, Visit&& visit) const
{
    const ResolvedAddress where = ResolveAddress(start);
    WalkResolved(where, start, end, visit);
    return where;
}

template <typename Visit>
void PlcImage::WalkResolved(ResolvedAddress where, int32_t start, int32_t end, Visit&& visit) const
{
    if (where.area == PlcArea::System || where.area == PlcArea::None)
        return;
    // One reading of the base for the whole walk, so an operator moving it
    // meanwhile cannot make the walk jump between two placements.
    const int64_t base = CellBase(where);
    const int64_t step = IsWordArea(where.area) ? 2 : 1;
    for (int64_t j = start; j <= end; j += step) {
        const int index = IndexFromBase(where.area, base, j);
        // Every address of the walk lies at or above the base, so the index
        // only grows: the first address past the area's last cell ends it.
        if (index < 0)
            break;
        visit(static_cast<int32_t>(j), index);
    }
}
