// A thread that writes every cell the window shows with a new value every
// 5 ms, so that each refresh tick finds all of them changed: the 128 words
// of the shown data block, timers, counters, input and output bytes and
// the 256 flag bytes. One data block (the one a PG reads) can be spared.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

class PlcImage;

// Every cell the views show, with values that differ from those of the
// round before; data block sparedDb keeps its words.
void ChangeEveryCell(PlcImage& image, int db, int32_t round, int sparedDb = -1);

class ImageChanger
{
public:
    ImageChanger(PlcImage& image, int shownDb, int sparedDb = -1);
    ~ImageChanger();
    ImageChanger(const ImageChanger&) = delete;
    ImageChanger& operator=(const ImageChanger&) = delete;

    // Ends the thread; the CPU seconds it used.
    double Stop();

private:
    void Change();

    PlcImage& m_image;
    int m_shownDb;
    int m_sparedDb;
    std::atomic<bool> m_stop{false};
    double m_cpuSeconds = 0;
    std::thread m_thread;
};
