// The per-input image watch of the transaction fuzzer.
#include "fuzz/image_watch.h"

#include <cstring>

#include "core/plc_image.h"

std::vector<uint8_t> RawImage(const PlcImage& image)
{
    // Reading any object's bytes is defined; the image holds no pointers.
    const auto* bytes = reinterpret_cast<const uint8_t*>(&image);
    return std::vector<uint8_t>(bytes, bytes + sizeof image);
}

ImageWatch::ImageWatch(PlcImage& image, const ImageSnapshot& pristine,
                       const std::vector<uint8_t>& pristineRaw)
    : m_image(image), m_pristine(pristine), m_pristineRaw(pristineRaw), m_current(pristine),
      m_raw(pristineRaw)
{
}

bool ImageWatch::Unchanged() const
{
    return std::memcmp(&m_image, m_raw.data(), m_raw.size()) == 0;
}

std::string ImageWatch::CheckExchange(const RequestRecord* write)
{
    // Equal bytes mean equal values; a write record is checked in full
    // even then, since the values it lists must be in the cells it names.
    if (!write && Unchanged())
        return {};
    ImageSnapshot after = CaptureImage(m_image);
    std::string error = ExplainImageChange(m_current, after, write);
    m_current = after;
    m_raw = RawImage(m_image);
    m_changed = true;
    return error;
}

namespace {

template <typename Cells, typename Write>
void PutBack(const Cells& pristine, const Cells& current, Write write)
{
    for (size_t i = 0; i < pristine.size(); ++i)
        if (pristine[i] != current[i])
            write(static_cast<int>(i), pristine[i]);
}

} // namespace

bool ImageWatch::Restore()
{
    if (m_changed) {
        for (int db = 0; db < PlcImage::kDbCount; ++db)
            PutBack(m_pristine.dbWords[db], m_current.dbWords[db],
                    [&](int word, int32_t v) { m_image.WriteDbWord(db, word, v); });
        const struct
        {
            PlcArea area;
            const std::array<int32_t, PlcImage::kWordCells>* pristine;
            const std::array<int32_t, PlcImage::kWordCells>* current;
        } words[] = {{PlcArea::T, &m_pristine.timers, &m_current.timers},
                     {PlcArea::Z, &m_pristine.counters, &m_current.counters}};
        for (const auto& w : words)
            PutBack(*w.pristine, *w.current,
                    [&](int i, int32_t v) { m_image.WriteCell(w.area, i, v); });
        PutBack(m_pristine.merkers, m_current.merkers,
                [&](int i, int32_t v) { m_image.WriteCell(PlcArea::MB, i, v); });
        PutBack(m_pristine.inputs, m_current.inputs,
                [&](int i, int32_t v) { m_image.WriteCell(PlcArea::EB, i, v); });
        PutBack(m_pristine.outputs, m_current.outputs,
                [&](int i, int32_t v) { m_image.WriteCell(PlcArea::AB, i, v); });
        m_image.SetRunning(m_pristine.running);
        m_image.SetBatteryOk(m_pristine.batteryOk);
        m_current = m_pristine;
        m_raw = m_pristineRaw;
        m_changed = false;
    }
    return std::memcmp(&m_image, m_pristineRaw.data(), m_pristineRaw.size()) == 0;
}
