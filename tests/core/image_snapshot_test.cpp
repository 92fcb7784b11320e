// Capture and apply of the whole image: each field read from and written to
// its own place, the system base included, and a load racing a writer.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "core/image_snapshot.h"
#include "core/plc_image.h"
#include "support/random_image.h"

namespace {

struct AreaCells
{
    PlcArea area;
    const int32_t* cells;
    int count;
};

std::vector<AreaCells> CellAreas(const ImageSnapshot& s)
{
    return {{PlcArea::T, s.timers.data(), PlcImage::kWordCells},
            {PlcArea::Z, s.counters.data(), PlcImage::kWordCells},
            {PlcArea::MB, s.merkers.data(), PlcImage::kMerkers},
            {PlcArea::EB, s.inputs.data(), PlcImage::kIoBytes},
            {PlcArea::AB, s.outputs.data(), PlcImage::kIoBytes}};
}

// The image's own operations, one by one, independent of ApplyImage.
void WriteByHand(PlcImage& image, const ImageSnapshot& s)
{
    for (int db = 0; db < PlcImage::kDbCount; ++db) {
        for (int w = 0; w < PlcImage::kDbWords; ++w)
            image.WriteDbWord(db, w, s.dbWords[db][w]);
        image.SetDbStart(db, s.directory[db].start);
        image.SetDbExists(db, s.directory[db].exists != 0);
        image.SetDbLength(db, s.directory[db].length);
    }
    for (const AreaCells& a : CellAreas(s))
        for (int i = 0; i < a.count; ++i)
            image.WriteCell(a.area, i, a.cells[i]);
    image.SetAreaBase(PlcArea::EB, s.bases.eb);
    image.SetAreaBase(PlcArea::AB, s.bases.ab);
    image.SetAreaBase(PlcArea::MB, s.bases.mb);
    image.SetAreaBase(PlcArea::T, s.bases.t);
    image.SetAreaBase(PlcArea::Z, s.bases.z);
    image.SetSystemBase(s.bases.system);
    image.SetRunning(s.running);
    image.SetBatteryOk(s.batteryOk);
}

void ExpectImageHolds(const PlcImage& image, const ImageSnapshot& s)
{
    for (int db = 0; db < PlcImage::kDbCount; ++db) {
        for (int w = 0; w < PlcImage::kDbWords; ++w)
            ASSERT_EQ(image.ReadDbWord(db, w), s.dbWords[db][w]) << "DB " << db << " word " << w;
        ASSERT_EQ(image.DbEntry(db), s.directory[db]) << "DB " << db;
    }
    for (const AreaCells& a : CellAreas(s))
        for (int i = 0; i < a.count; ++i)
            ASSERT_EQ(image.ReadCell(a.area, i), a.cells[i])
                << "area " << static_cast<int>(a.area) << " cell " << i;
    EXPECT_EQ(image.AreaBase(PlcArea::EB), s.bases.eb);
    EXPECT_EQ(image.AreaBase(PlcArea::AB), s.bases.ab);
    EXPECT_EQ(image.AreaBase(PlcArea::MB), s.bases.mb);
    EXPECT_EQ(image.AreaBase(PlcArea::T), s.bases.t);
    EXPECT_EQ(image.AreaBase(PlcArea::Z), s.bases.z);
    EXPECT_EQ(image.AreaBase(PlcArea::System), s.bases.system);
    EXPECT_EQ(image.IsRunning(), s.running);
    EXPECT_EQ(image.IsBatteryOk(), s.batteryOk);
}

TEST(ImageSnapshotTest, ApplyWritesEveryFieldToItsPlace)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 3; ++round) {
        const ImageSnapshot s = RandomSnapshot(rng);
        PlcImage image;
        ApplyImage(image, s);
        ExpectImageHolds(image, s);
    }
}

TEST(ImageSnapshotTest, CaptureReadsEveryFieldFromItsPlace)
{
    std::mt19937 rng(12);
    for (int round = 0; round < 3; ++round) {
        const ImageSnapshot s = RandomSnapshot(rng);
        PlcImage image;
        WriteByHand(image, s);
        const ImageSnapshot captured = CaptureImage(image);
        EXPECT_EQ(FirstDifference(captured, s), "");
    }
}

TEST(ImageSnapshotTest, CaptureOfTheDefaultImageAppliedElsewhereRestoresTheDefaults)
{
    PlcImage defaults;
    const ImageSnapshot s = CaptureImage(defaults);
    EXPECT_EQ(s.directory[5].start, PlcImage::DefaultDbStart(5));
    EXPECT_EQ(s.bases, AreaBases{});

    std::mt19937 rng(13);
    PlcImage image;
    ApplyImage(image, RandomSnapshot(rng));
    ApplyImage(image, s);
    EXPECT_EQ(FirstDifference(CaptureImage(image), s), "");
}

TEST(ImageSnapshotTest, SystemBaseMovesOnlyThroughItsOwnSetterAndTheReset)
{
    PlcImage image;
    image.SetAreaBase(PlcArea::System, 0x1000);
    EXPECT_EQ(image.AreaBase(PlcArea::System), 0xEA00);

    ImageSnapshot s = CaptureImage(image);
    s.bases.system = 0xE900;
    ApplyImage(image, s);
    EXPECT_EQ(image.AreaBase(PlcArea::System), 0xE900);
    // The address map follows: the status byte sits at the new base + 12.
    EXPECT_EQ(image.ResolveAddress(0xE900 + PlcImage::kStatusByteOffset).area, PlcArea::System);
    image.ResetToDefaults();
    EXPECT_EQ(image.AreaBase(PlcArea::System), 0xEA00);
}

// The worker writes cells of DB 3, the timers and the status while a load
// runs. Every value read meanwhile is one somebody wrote; afterwards the
// cells the writer never touches hold the file's values, and each cell it
// touches holds the file's value or the writer's last one.
TEST(ImageSnapshotTest, LoadRacingAWriterLosesNoValueAndTearsNone)
{
    std::mt19937 rng(14);
    ImageSnapshot file = RandomSnapshot(rng);
    // The file's words stay below 0x8000, the writer's above, so a value
    // tells who wrote it.
    for (auto& block : file.dbWords)
        for (int32_t& w : block)
            w &= 0x7FFF;
    for (int32_t& t : file.timers)
        t &= 0x7FFF;

    PlcImage image;
    constexpr int kTouched = 32; // words 0..31 of DB 3 and timers 0..31
    std::array<int32_t, kTouched> lastDb{};
    std::array<int32_t, kTouched> lastTimer{};
    std::atomic<bool> stop{false};
    std::atomic<bool> readsOk{true};
    std::atomic<int> writerRounds{0};
    std::atomic<int> readerRounds{0};

    std::thread writer([&] {
        int32_t value = 0x8000;
        while (!stop.load()) {
            for (int i = 0; i < kTouched; ++i) {
                value = 0x8000 | ((value + 1) & 0x7FFF);
                image.WriteDbWord(3, i, value);
                lastDb[i] = value;
                image.WriteCell(PlcArea::T, i, value);
                lastTimer[i] = value;
            }
            image.ApplyStatusByte(value & 1 ? 0x48 : 0x08);
            ++writerRounds;
        }
    });
    std::thread reader([&] {
        while (!stop.load()) {
            const ImageSnapshot seen = CaptureImage(image);
            for (int db = 0; db < PlcImage::kDbCount; ++db)
                for (int w = 0; w < PlcImage::kDbWords; ++w) {
                    const int32_t v = seen.dbWords[db][w];
                    const bool writers = db == 3 && w < kTouched && v >= 0x8000 && v <= 0xFFFF;
                    if (v != 0 && v != file.dbWords[db][w] && !writers)
                        readsOk.store(false);
                }
            ++readerRounds;
        }
    });
    // Loads go on until both threads have run beside them for a while.
    for (int load = 0; load < 20 || writerRounds < 500 || readerRounds < 20; ++load)
        ApplyImage(image, file);
    stop.store(true);
    writer.join();
    reader.join();

    EXPECT_TRUE(readsOk.load());
    const ImageSnapshot after = CaptureImage(image);
    for (int db = 0; db < PlcImage::kDbCount; ++db)
        for (int w = 0; w < PlcImage::kDbWords; ++w) {
            const int32_t v = after.dbWords[db][w];
            if (db == 3 && w < kTouched)
                ASSERT_TRUE(v == file.dbWords[db][w] || v == lastDb[w]) << w;
            else
                ASSERT_EQ(v, file.dbWords[db][w]) << "DB " << db << " word " << w;
        }
    for (int i = 0; i < PlcImage::kWordCells; ++i) {
        if (i < kTouched)
            ASSERT_TRUE(after.timers[i] == file.timers[i] || after.timers[i] == lastTimer[i]) << i;
        else
            ASSERT_EQ(after.timers[i], file.timers[i]) << i;
    }
    EXPECT_EQ(after.merkers, file.merkers);
    EXPECT_EQ(after.directory, file.directory);
    EXPECT_EQ(after.bases, file.bases);
    // The writer only ever sets the battery OK.
    EXPECT_TRUE(after.batteryOk == file.batteryOk || after.batteryOk);
}

} // namespace
