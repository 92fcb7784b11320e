// Fuzz target of the memory image file reader: arbitrary bytes as a file's
// contents. Besides the sanitizers it checks that a refusal is one line of
// words, and that an accepted file is an image that saves to a file which
// reads back as the same image and saves to the same bytes again.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "image_file/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const auto image = ParseImage(input, error);
    if (!image) {
        FUZZ_CHECK(!error.isEmpty(), "a refused file without a message");
        FUZZ_CHECK(!error.contains(QLatin1Char('\n')), "a message of more than one line: %s",
                   qPrintable(error));
        return 0;
    }
    const QByteArray saved = FormatImage(*image);
    QString again;
    const auto reread = ParseImage(saved, again);
    FUZZ_CHECK(reread.has_value(), "a saved image is refused: %s", qPrintable(again));
    FUZZ_CHECK(*reread == *image, "a saved image reads back as another image");
    FUZZ_CHECK(FormatImage(*reread) == saved, "saving the same image twice differs");
    return 0;
}
