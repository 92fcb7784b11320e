// Capture and apply of the whole image, value by value: the image is shared
// with the worker without a lock, so nothing here holds one either.
#include "core/image_snapshot.h"

namespace {

template <typename Cells> void CaptureCells(const PlcImage& image, PlcArea area, Cells& cells)
{
    for (int i = 0; i < static_cast<int>(cells.size()); ++i)
        cells[i] = image.ReadCell(area, i);
}

template <typename Cells> void ApplyCells(PlcImage& image, PlcArea area, const Cells& cells)
{
    for (int i = 0; i < static_cast<int>(cells.size()); ++i)
        image.WriteCell(area, i, cells[i]);
}

} // namespace

ImageSnapshot CaptureImage(const PlcImage& image)
{
    ImageSnapshot snapshot;
    for (int db = 0; db < PlcImage::kDbCount; ++db) {
        for (int w = 0; w < PlcImage::kDbWords; ++w)
            snapshot.dbWords[db][w] = image.ReadDbWord(db, w);
        snapshot.directory[db] = image.DbEntry(db);
    }
    CaptureCells(image, PlcArea::T, snapshot.timers);
    CaptureCells(image, PlcArea::Z, snapshot.counters);
    CaptureCells(image, PlcArea::MB, snapshot.merkers);
    CaptureCells(image, PlcArea::EB, snapshot.inputs);
    CaptureCells(image, PlcArea::AB, snapshot.outputs);
    snapshot.bases = image.Bases();
    snapshot.running = image.IsRunning();
    snapshot.batteryOk = image.IsBatteryOk();
    return snapshot;
}

void ApplyImage(PlcImage& image, const ImageSnapshot& snapshot)
{
    for (int db = 0; db < PlcImage::kDbCount; ++db) {
        for (int w = 0; w < PlcImage::kDbWords; ++w)
            image.WriteDbWord(db, w, snapshot.dbWords[db][w]);
        const DbDirectoryEntry& entry = snapshot.directory[db];
        image.SetDbStart(db, entry.start);
        image.SetDbExists(db, entry.exists != 0);
        image.SetDbLength(db, entry.length);
    }
    ApplyCells(image, PlcArea::T, snapshot.timers);
    ApplyCells(image, PlcArea::Z, snapshot.counters);
    ApplyCells(image, PlcArea::MB, snapshot.merkers);
    ApplyCells(image, PlcArea::EB, snapshot.inputs);
    ApplyCells(image, PlcArea::AB, snapshot.outputs);
    image.SetAreaBase(PlcArea::EB, snapshot.bases.eb);
    image.SetAreaBase(PlcArea::AB, snapshot.bases.ab);
    image.SetAreaBase(PlcArea::MB, snapshot.bases.mb);
    image.SetAreaBase(PlcArea::T, snapshot.bases.t);
    image.SetAreaBase(PlcArea::Z, snapshot.bases.z);
    image.SetSystemBase(snapshot.bases.system);
    image.SetRunning(snapshot.running);
    image.SetBatteryOk(snapshot.batteryOk);
}
