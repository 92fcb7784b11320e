// Watches one memory image across the exchanges of a fuzz input, cheaply
// enough to check after every exchange: a byte-for-byte copy of the image
// object tells at once whether anything changed, and only then is the
// image read cell by cell and compared with what the exchange's write
// record says. At the end the watch puts the image back as it was, so
// that the next input is served from the same image without building it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/image_change.h"

class PlcImage;
struct RequestRecord;

// The image's object representation, for comparison only.
std::vector<uint8_t> RawImage(const PlcImage& image);

class ImageWatch
{
  public:
    // image holds what pristine and pristineRaw were taken of.
    ImageWatch(PlcImage& image, const ImageSnapshot& pristine,
               const std::vector<uint8_t>& pristineRaw);

    // After an exchange, with the record of the write it applied (null
    // when none): empty when the image changed only as that record says
    // (ExplainImageChange), otherwise what differs.
    std::string CheckExchange(const RequestRecord* write);
    // Writes back every cell and the state the exchanges changed; true
    // when the image is then byte for byte as before the first exchange.
    bool Restore();

  private:
    bool Unchanged() const;

    PlcImage& m_image;
    const ImageSnapshot& m_pristine;
    const std::vector<uint8_t>& m_pristineRaw;
    ImageSnapshot m_current;     // as the last check left the image
    std::vector<uint8_t> m_raw;  // the same, byte for byte
    bool m_changed = false;
};
