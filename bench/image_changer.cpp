#include "image_changer.h"

#include <chrono>

#include "core/plc_image.h"
#include "cpu_clock.h"

void ChangeEveryCell(PlcImage& image, int db, int32_t round, int sparedDb)
{
    for (int i = 0; i < PlcImage::kWordCells; ++i) {
        const int32_t value = (round * 7 + i) & 0x7FFF;
        if (db != sparedDb)
            image.WriteDbWord(db, i, value);
        image.WriteCell(PlcArea::T, i, value);
        image.WriteCell(PlcArea::Z, i, value);
        image.WriteCell(PlcArea::EB, i, value & 0xFF);
        image.WriteCell(PlcArea::AB, i, (value + 1) & 0xFF);
    }
    for (int i = 0; i < PlcImage::kMerkers; ++i)
        image.WriteCell(PlcArea::MB, i, (round + i) & 0xFF);
}

ImageChanger::ImageChanger(PlcImage& image, int shownDb, int sparedDb)
    : m_image(image), m_shownDb(shownDb), m_sparedDb(sparedDb)
{
    m_thread = std::thread([this] { Change(); });
}

ImageChanger::~ImageChanger()
{
    Stop();
}

double ImageChanger::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    return m_cpuSeconds;
}

void ImageChanger::Change()
{
    const double start = ThreadCpuSeconds();
    for (int32_t round = 1; !m_stop; ++round) {
        ChangeEveryCell(m_image, m_shownDb, round, m_sparedDb);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_cpuSeconds = ThreadCpuSeconds() - start;
}
