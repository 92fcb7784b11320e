// Writes the seed corpus of the image file fuzzer into the folder it is
// given: the saved default image, a saved image with every kind of value
// changed, and the same files cut short, with a duplicated key, an unknown
// key and a value out of range, so the fuzzer starts from files that reach
// every check of the reader.
#include <QByteArray>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/image_snapshot.h"
#include "core/plc_image.h"
#include "image_file/image_file.h"

namespace {

void Write(const std::filesystem::path& folder, const std::string& name, const QByteArray& bytes)
{
    std::ofstream out(folder / name, std::ios::binary);
    out.write(bytes.constData(), bytes.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    PlcImage image;
    const QByteArray defaults = FormatImage(CaptureImage(image));
    ImageSnapshot changed = CaptureImage(image);
    changed.dbWords[5][9] = 0x1010;
    changed.directory[3] = {0x1000, 0, 10};
    changed.timers[1] = 0xFFFF;
    changed.merkers[255] = 0x10;
    changed.bases.t = 0xE000;
    changed.running = false;
    const QByteArray edited = FormatImage(changed);

    Write(folder, "default.json", defaults);
    Write(folder, "edited.json", edited);
    Write(folder, "truncated.json", edited.left(edited.size() / 2));
    QByteArray duplicate = defaults;
    duplicate.replace("\"version\": 1", "\"version\": 1, \"version\": 1");
    Write(folder, "duplicate_key.json", duplicate);
    QByteArray unknown = defaults;
    unknown.replace("\"version\": 1", "\"version\": 1, \"colour\": \"red\"");
    Write(folder, "unknown_key.json", unknown);
    QByteArray range = defaults;
    range.replace("\"status\": \"08\"", "\"status\": \"FF\"");
    Write(folder, "status_out_of_range.json", range);
    Write(folder, "empty.json", QByteArray());
    return 0;
}
