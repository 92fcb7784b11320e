// Writing memory image files: every value survives a save and a load, the
// same image gives the same bytes, a person finds the values where the
// format puts them, and one changed cell changes one line.
#include <gtest/gtest.h>

#include <QList>
#include <random>

#include "core/plc_image.h"
#include "image_file/image_file.h"
#include "support/random_image.h"

namespace {

QList<QByteArray> Lines(const QByteArray& text)
{
    return text.split('\n');
}

TEST(ImageFormatTest, EveryValueOfARandomImageSurvivesFormatParseAndApply)
{
    std::mt19937 rng(21);
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        const ImageSnapshot original = RandomSnapshot(rng);
        const QByteArray text = FormatImage(original);
        QString error;
        const std::optional<ImageSnapshot> parsed = ParseImage(text, error);
        ASSERT_TRUE(parsed) << error.toStdString();
        EXPECT_EQ(FirstDifference(*parsed, original), "");

        PlcImage image;
        ApplyImage(image, *parsed);
        EXPECT_EQ(FirstDifference(CaptureImage(image), original), "");
        // The same image, and one read back from its file, give the same bytes.
        EXPECT_EQ(FormatImage(original), text);
        EXPECT_EQ(FormatImage(*parsed), text);
    }
}

TEST(ImageFormatTest, DefaultImageReadsAsTheFormatDescribesIt)
{
    PlcImage image;
    image.WriteCell(PlcArea::T, 17, 0x1A2B);
    image.WriteDbWord(5, 127, 0xFFFF);
    image.WriteCell(PlcArea::MB, 255, 0x7);
    image.SetRunning(false);
    const QByteArray text = FormatImage(CaptureImage(image));
    const QList<QByteArray> lines = Lines(text);
    auto has = [&](const char* line) { return lines.contains(QByteArray(line)); };

    EXPECT_TRUE(has(R"(    "format": "orvane-memory-image",)"));
    EXPECT_TRUE(has(R"(    "version": 1)"));
    EXPECT_TRUE(has(R"(    "status": "48",)"));
    EXPECT_TRUE(has(R"(        "inputs": "EF00",)"));
    EXPECT_TRUE(has(R"(        "system": "EA00",)"));
    EXPECT_TRUE(has(R"(            "start": "DB8A",)"));
    EXPECT_TRUE(has(R"(            "length": 128,)"));
    EXPECT_TRUE(has(R"(        "0000 1A2B 0000 0000 0000 0000 0000 0000",)"));
    EXPECT_TRUE(has(R"(                "0000 0000 0000 0000 0000 0000 0000 FFFF")"));
    EXPECT_TRUE(has(R"(        "00 00 00 00 00 00 00 07")"));
    // Keys come in sorted order, the data block's rows after its fields.
    const qsizetype block = text.indexOf(R"("block": 5,)");
    ASSERT_GE(block, 0);
    const qsizetype exists = text.indexOf(R"("exists": true)", block);
    const qsizetype start = text.indexOf(R"("start": "DB8A")", block);
    const qsizetype words = text.indexOf(R"("words": [)", block);
    EXPECT_LT(exists, start);
    EXPECT_LT(start, words);
    EXPECT_LT(text.indexOf(R"("bases")"), text.indexOf(R"("dataBlocks")"));
    EXPECT_LT(text.indexOf(R"("timers": [)"), text.indexOf(R"("version")"));
}

TEST(ImageFormatTest, OneChangedCellChangesOneLine)
{
    std::mt19937 rng(22);
    ImageSnapshot s = RandomSnapshot(rng);
    const QList<QByteArray> before = Lines(FormatImage(s));
    s.dbWords[77][40] ^= 0x0100;
    const QList<QByteArray> after = Lines(FormatImage(s));
    ASSERT_EQ(before.size(), after.size());
    int changed = 0;
    for (qsizetype i = 0; i < before.size(); ++i)
        changed += before[i] != after[i] ? 1 : 0;
    EXPECT_EQ(changed, 1);
}

// No operator or PG can store these; the file still gets values it can hold.
TEST(ImageFormatTest, ValuesOutsideTheFilesRangesAreWrittenWithinThem)
{
    PlcImage image;
    ImageSnapshot s = CaptureImage(image);
    s.timers[0] = 0x12345;
    s.merkers[0] = -1;
    s.directory[1].start = 0;
    s.directory[2].start = 0x20000;
    s.directory[3].length = 300;
    s.bases.eb = -5;
    QString error;
    const std::optional<ImageSnapshot> parsed = ParseImage(FormatImage(s), error);
    ASSERT_TRUE(parsed) << error.toStdString();
    EXPECT_EQ(parsed->timers[0], 0x2345);
    EXPECT_EQ(parsed->merkers[0], 0xFF);
    EXPECT_EQ(parsed->directory[1].start, 1);
    EXPECT_EQ(parsed->directory[2].start, 0xFFFF);
    EXPECT_EQ(parsed->directory[3].length, 128);
    EXPECT_EQ(parsed->bases.eb, 1);
}

} // namespace
