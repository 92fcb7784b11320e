// Reading memory image files: every way a file can be wrong gives nothing
// back and one line that names the field and the fault; arbitrary bytes
// never crash the reader, and whatever it accepts is an image it can save.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>
#include <random>

#include "core/plc_image.h"
#include "image_file/image_file.h"
#include "support/random_image.h"

namespace {

// A valid image whose values of interest each occur once in its text.
ImageSnapshot Fixture()
{
    PlcImage image;
    ImageSnapshot s = CaptureImage(image);
    s.directory[5] = {0x4321, 0, 77};
    s.dbWords[5][9] = 0xBEEF;
    s.timers[17] = 0x12F4;
    s.merkers[250] = 0x5A;
    s.inputs[0] = 0x11;
    return s;
}

using Make = std::function<QByteArray(const QByteArray& valid)>;

Make Replace(QByteArray from, QByteArray to)
{
    return [from, to](const QByteArray& valid) {
        if (valid.count(from) != 1) {
            ADD_FAILURE() << "not once in the file: " << from.toStdString();
            return QByteArray();
        }
        QByteArray text = valid;
        return text.replace(from, to);
    };
}

Make EditRoot(std::function<void(QJsonObject&)> edit)
{
    return [edit](const QByteArray& valid) {
        QJsonObject root = QJsonDocument::fromJson(valid).object();
        edit(root);
        return QJsonDocument(root).toJson();
    };
}

Make Raw(QByteArray bytes)
{
    return [bytes](const QByteArray&) { return bytes; };
}

struct BadFile
{
    const char* name;
    Make make;
    const char* message; // the whole message, or its start when partial
    bool partial = false;
};

const char kBlockOrder[] =
    "dataBlocks: entry 5 is block 6 (the blocks are listed in order, 0 to 127)";

const BadFile kBadFiles[] = {
    // Not a memory image at all.
    {"empty", Raw(""), "the file is empty"},
    {"white space only", Raw(" \n\t\r\n"), "the file is empty"},
    {"binary", Raw(QByteArray::fromHex("7f454c46020101000000")),
     "line 1, column 5: the file is not text (it holds the byte 02)"},
    {"a NUL inside the document",
     Replace(R"("4321")", QByteArray::fromHex("22343300323122")), // "43<NUL>21"
     "the file is not text (it holds the byte 00)", true},
    {"too large", Raw(QByteArray(image_file::kMaxFileBytes + 1, ' ')),
     "the file is too large (4194305 bytes; a memory image file has at most 4194304)"},
    {"an array", Raw("[1, 2]"), "the file holds an array, not the object of a memory image"},
    {"another program's JSON", Raw(R"({"name": "x", "dependencies": {}})"),
     "format is missing: the file is not an Orvane memory image"},
    // Syntax, placed by line and column.
    {"unterminated string", Raw("{\n    \"format\": \"orvane-memory-image\n}\n"),
     "line 4, column 1: unterminated string (the file ends early)"},
    {"missing comma", Raw("{\n  \"a\": [\"x\" \"y\"]\n}"),
     "line 2, column 14: missing value separator"},
    {"truncated", [](const QByteArray& valid) { return valid.left(valid.size() / 2); },
     "(the file ends early)", true},
    {"garbage after the document", [](const QByteArray& valid) { return valid + "x"; },
     "garbage at the end of the document", true},
    {"invalid UTF-8 in a string",
     Replace(R"("4321")", QByteArray::fromHex("223433ff3122")), // "43<FF>1"
     "invalid UTF8 string", true},
    {"nesting without end", Raw(QByteArray(5000, '[')), "too deeply nested document", true},
    // Format and version.
    {"wrong format", Replace(R"("orvane-memory-image")", R"("foo")"),
     R"(format: "foo" is not an Orvane memory image)"},
    {"format not a string", Replace(R"("orvane-memory-image")", "7"),
     R"(format: expected "orvane-memory-image", found a number)"},
    {"format missing", EditRoot([](QJsonObject& root) { root.remove("format"); }),
     "format is missing: the file is not an Orvane memory image"},
    {"newer version", Replace(R"("version": 1)", R"("version": 2)"),
     "version: 2 is not supported (this program reads version 1)"},
    {"version not whole", Replace(R"("version": 1)", R"("version": 1.5)"),
     "version: 1.5 is not a whole number"},
    {"version as text", Replace(R"("version": 1)", R"("version": "1")"),
     "version: expected a number, found a string"},
    {"version missing", EditRoot([](QJsonObject& root) { root.remove("version"); }),
     "version is missing"},
    // Keys.
    {"unknown top-level key", EditRoot([](QJsonObject& root) { root["comment"] = "x"; }),
     R"(unknown key "comment")"},
    {"misspelt area", Replace(R"("outputs": [)", R"("output": [)"), R"(unknown key "output")"},
    {"area missing", EditRoot([](QJsonObject& root) { root.remove("outputs"); }),
     "outputs is missing"},
    {"unknown key with a line break", Replace(R"("length": 77,)", R"("length": 77, "a\nb": 1,)"),
     R"(DB 5: unknown key "a\u000ab")"},
    {"unknown key too long to quote whole",
     Replace(R"("length": 77,)",
             R"("length": 77, "kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk": 1,)"),
     R"(DB 5: unknown key "kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk...")"},
    {"duplicate top-level key", Replace(R"("version": 1)", R"("version": 1, "version": 1)"),
     R"(key "version" appears twice (line )", true},
    {"duplicate key in a block", Replace(R"("length": 77,)", R"("length": 77, "length": 78,)"),
     R"(DB 5: key "length" appears twice (line )", true},
    {"duplicate key spelt with an escape",
     Replace(R"("length": 77,)", R"("length": 77, "l\u0065ngth": 78,)"),
     R"(DB 5: key "length" appears twice (line )", true},
    {"duplicate base", Replace(R"("system": "EA00",)", R"("system": "EA00", "system": "EA00",)"),
     R"(bases: key "system" appears twice (line )", true},
    // Status and bases.
    {"status with other bits", Replace(R"("status": "08")", R"("status": "09")"),
     R"(status: "09" has bits other than 08 (battery OK) and 40 (STOP))"},
    {"status past a byte", Replace(R"("status": "08")", R"("status": "108")"),
     R"(status: "108" is out of range (00 to FF))"},
    {"status as a number", Replace(R"("status": "08")", R"("status": 8)"),
     "status: expected a hexadecimal byte in a string, found a number"},
    {"base zero", Replace(R"("system": "EA00")", R"("system": "0000")"),
     R"(bases: system: "0000" is out of range (0001 to FFFF))"},
    {"base not hexadecimal", Replace(R"("inputs": "EF00")", R"("inputs": "EFGH")"),
     R"(bases: inputs: "EFGH" is not a hexadecimal address)"},
    {"base missing", Replace("        \"system\": \"EA00\",\n", ""), "bases: system is missing"},
    {"bases not an object", EditRoot([](QJsonObject& root) { root["bases"] = QJsonArray(); }),
     "bases: expected an object, found an array"},
    // Data blocks.
    {"a block short", EditRoot([](QJsonObject& root) {
         QJsonArray blocks = root["dataBlocks"].toArray();
         blocks.removeLast();
         root["dataBlocks"] = blocks;
     }),
     "dataBlocks: 127 blocks (the image has 128, DB 0 to DB 127)"},
    {"a block null", EditRoot([](QJsonObject& root) {
         QJsonArray blocks = root["dataBlocks"].toArray();
         blocks[3] = QJsonValue::Null;
         root["dataBlocks"] = blocks;
     }),
     "DB 3: expected an object, found null"},
    {"blocks out of order", Replace(R"("block": 5,)", R"("block": 6,)"), kBlockOrder},
    {"block number as text", Replace(R"("block": 5,)", R"("block": "5",)"),
     "DB 5: block: expected a number, found a string"},
    {"unknown key in a block", Replace(R"("length": 77,)", R"("length": 77, "lenght": 77,)"),
     R"(DB 5: unknown key "lenght")"},
    {"key missing in a block", Replace(R"("length": 77,)", ""), "DB 5: length is missing"},
    {"exists not true or false", Replace(R"("exists": false)", R"("exists": 0)"),
     "DB 5: exists: expected true or false, found a number"},
    {"length zero", Replace(R"("length": 77)", R"("length": 0)"),
     "DB 5: length: 0 is out of range (1 to 128)"},
    {"length past the block", Replace(R"("length": 77)", R"("length": 129)"),
     "DB 5: length: 129 is out of range (1 to 128)"},
    {"length as text", Replace(R"("length": 77)", R"("length": "77")"),
     "DB 5: length: expected a number, found a string"},
    {"start as a number", Replace(R"("start": "4321")", R"("start": 17185)"),
     "DB 5: start: expected a hexadecimal address in a string, found a number"},
    {"start past FFFF", Replace(R"("start": "4321")", R"("start": "10000")"),
     R"(DB 5: start: "10000" is out of range (0001 to FFFF))"},
    {"start with a space", Replace(R"("start": "4321")", R"("start": "43 21")"),
     R"(DB 5: start: "43 21" is not a hexadecimal address)"},
    {"start empty", Replace(R"("start": "4321")", R"("start": "")"),
     R"(DB 5: start: "" is not a hexadecimal address)"},
    {"word past FFFF", Replace("BEEF", "1BEEF"),
     R"(DB 5: row 2 (words 8 to 15): "1BEEF" is out of range (a word is 0000 to FFFF))"},
    {"a value too many in a row", Replace("BEEF", "BEEF 0000"),
     "DB 5: row 2 (words 8 to 15): 9 values (a row holds 8)"},
    {"a value short in a row", Replace("0000 BEEF", "BEEF"),
     "DB 5: row 2 (words 8 to 15): 7 values (a row holds 8)"},
    {"a row too many in a block",
     Replace(
         R"("0000 BEEF 0000 0000 0000 0000 0000 0000")",
         R"("0000 BEEF 0000 0000 0000 0000 0000 0000", "0000 0000 0000 0000 0000 0000 0000 0000")"),
     "DB 5: 17 rows (the block has 128 words in 16 rows of 8)"},
    {"a row short in a block", Replace(R"("0000 BEEF 0000 0000 0000 0000 0000 0000",)", ""),
     "DB 5: 15 rows (the block has 128 words in 16 rows of 8)"},
    // Cell areas.
    {"word not hexadecimal", Replace("12F4", "12G4"),
     R"(timers: row 3 (values 16 to 23): "12G4" is not a hexadecimal word)"},
    {"word written 0x", Replace("12F4", "0x12F4"),
     R"(timers: row 3 (values 16 to 23): "0x12F4" is not a hexadecimal word)"},
    {"byte past FF", Replace("00 5A 00", "00 15A 00"),
     R"(flags: row 32 (values 248 to 255): "15A" is out of range (a byte is 00 to FF))"},
    {"a row too many in an area",
     Replace(R"("00 00 5A 00 00 00 00 00")",
             R"("00 00 5A 00 00 00 00 00", "00 00 00 00 00 00 00 00")"),
     "flags: 33 rows (the area has 256 values in 32 rows of 8)"},
    {"a row not a string", Replace(R"("11 00 00 00 00 00 00 00")", "17"),
     "inputs: row 1 (values 0 to 7): expected a string of 8 hexadecimal bytes, found a number"},
    {"an area not an array", EditRoot([](QJsonObject& root) { root["outputs"] = "00"; }),
     "outputs: expected an array of rows, found a string"},
};

void PrintTo(const BadFile& bad, std::ostream* out)
{
    *out << bad.name;
}

class ImageParseTest : public ::testing::TestWithParam<BadFile>
{
};

TEST_P(ImageParseTest, RefusesWithOneLineNamingTheFault)
{
    const BadFile& bad = GetParam();
    const QByteArray text = bad.make(FormatImage(Fixture()));
    ASSERT_FALSE(text.isEmpty() && std::string(bad.name) != "empty");
    QString error;
    const std::optional<ImageSnapshot> parsed = ParseImage(text, error);
    EXPECT_FALSE(parsed);
    const std::string message = error.toStdString();
    if (bad.partial) {
        EXPECT_NE(message.find(bad.message), std::string::npos) << message;
    } else {
        EXPECT_EQ(message, bad.message);
    }
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(BadFiles, ImageParseTest, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) {
                             std::string name;
                             for (const char c : std::string(info.param.name))
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(ImageParseTest, HandEditedSpellingsThatMeanTheSameAreAccepted)
{
    const ImageSnapshot fixture = Fixture();
    QByteArray text = FormatImage(fixture);
    // Lower case digits, short values, extra spaces and a byte order mark.
    text.replace("BEEF", "beef").replace("12F4", "  12f4").replace("\"4321\"", "\" 4321 \"");
    text.replace("00 00 5A 00", "0 0   5a 00");
    text.prepend("\xEF\xBB\xBF");
    QString error;
    const std::optional<ImageSnapshot> parsed = ParseImage(text, error);
    ASSERT_TRUE(parsed) << error.toStdString();
    EXPECT_EQ(FirstDifference(*parsed, fixture), "");
}

TEST(ImageParseTest, AMalformedFileDoesNotTouchWhatTheCallerHolds)
{
    QString error = QStringLiteral("old");
    ImageSnapshot held = Fixture();
    const ImageSnapshot before = held;
    QByteArray text = FormatImage(Fixture());
    text.replace("12F4", "12G4");
    if (std::optional<ImageSnapshot> parsed = ParseImage(text, error))
        held = *parsed;
    EXPECT_EQ(held, before);
    EXPECT_NE(error, QStringLiteral("old"));
}

// Random damage to a valid file: the reader either refuses with one line
// or returns an image that saves and reads back unchanged.
TEST(ImageParseTest, DamagedFilesAreRefusedOrReadAsAnImageThatSavesAgain)
{
    std::mt19937 rng(31);
    const QByteArray valid = FormatImage(RandomSnapshot(rng));
    auto draw = [&](qsizetype n) {
        return std::uniform_int_distribution<qsizetype>(0, n - 1)(rng);
    };
    int accepted = 0;
    for (int sample = 0; sample < 300; ++sample) {
        QByteArray text = valid;
        const int edits = 1 + static_cast<int>(draw(6));
        for (int e = 0; e < edits && !text.isEmpty(); ++e) {
            const qsizetype at = draw(text.size());
            switch (draw(4)) {
            case 0:
                text[at] = static_cast<char>(draw(256));
                break;
            case 1:
                text.remove(at, 1 + draw(40));
                break;
            case 2:
                text.insert(at, static_cast<char>(draw(256)));
                break;
            default:
                text.insert(at, text.mid(draw(text.size()), 1 + draw(60)));
                break;
            }
        }
        QString error;
        const std::optional<ImageSnapshot> parsed = ParseImage(text, error);
        if (!parsed) {
            ASSERT_FALSE(error.isEmpty());
            ASSERT_FALSE(error.contains(QLatin1Char('\n'))) << error.toStdString();
            continue;
        }
        ++accepted;
        const std::optional<ImageSnapshot> again = ParseImage(FormatImage(*parsed), error);
        ASSERT_TRUE(again) << error.toStdString();
        ASSERT_EQ(FirstDifference(*again, *parsed), "");
    }
    // Some damage (inside white space, a changed digit) leaves a valid file.
    EXPECT_GT(accepted, 0);
}

} // namespace
