// A fixed telegram buffer that AS511 data is encoded into (each DLE
// doubled, words high byte first), with room kept for the closing DLE ETX.
#pragma once

#include <cstdint>

#include "core/link_layer.h"

class TelegramBuffer
{
  public:
    // Encoded data that would not leave room for DLE ETX is not stored;
    // the replies stay far below that bound.
    void PutByte(uint8_t b)
    {
        if (m_size + 2 + kCloseRoom <= kTelegramBufferSize)
            m_size += EncodeByte(b, m_bytes + m_size);
    }
    void PutWord(uint16_t w)
    {
        if (m_size + 4 + kCloseRoom <= kTelegramBufferSize)
            m_size += EncodeWord(w, m_bytes + m_size);
    }
    // DLE ETX, unstuffed: the end of the telegram.
    void Close()
    {
        m_bytes[m_size++] = as511::DLE;
        m_bytes[m_size++] = as511::ETX;
    }

    const uint8_t* data() const { return m_bytes; }
    uint16_t size() const { return static_cast<uint16_t>(m_size); }

  private:
    static constexpr uint32_t kCloseRoom = 2;
    uint8_t m_bytes[kTelegramBufferSize]{};
    uint32_t m_size = 0;
};
