#include "image_changer.h"

#include <chrono>
#include <ctime>

#include "core/plc_image.h"

namespace {

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

} // namespace

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
        for (int i = 0; i < PlcImage::kWordCells; ++i) {
            const int32_t value = (round * 7 + i) & 0x7FFF;
            if (m_shownDb != m_sparedDb)
                m_image.WriteDbWord(m_shownDb, i, value);
            m_image.WriteCell(PlcArea::T, i, value);
            m_image.WriteCell(PlcArea::Z, i, value);
            m_image.WriteCell(PlcArea::EB, i, value & 0xFF);
            m_image.WriteCell(PlcArea::AB, i, (value + 1) & 0xFF);
        }
        for (int i = 0; i < PlcImage::kMerkers; ++i)
            m_image.WriteCell(PlcArea::MB, i, (round + i) & 0xFF);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_cpuSeconds = ThreadCpuSeconds() - start;
}
