// Memory image files on disk: a save reads back, replaces the old file
// whole, and fails with the path and the reason; a read refuses missing
// files, folders and oversized files before parsing them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <random>
#include <sys/resource.h>

#include "image_file/image_file.h"
#include "support/random_image.h"

namespace {

constexpr char kLongMissing[] = "a-folder-whose-name-is-longer-than-a-quoted-value/missing.json";

class ImageFileIoTest : public ::testing::Test
{
  protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    static QByteArray contents(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static void put(const QString& file, const QByteArray& data)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(data), data.size());
    }

    QTemporaryDir dir;
    std::mt19937 rng{41};
    QString error;
};

TEST_F(ImageFileIoTest, ASaveReadsBackAndReplacesTheOldFileWhole)
{
    const QString file = path("image.json");
    put(file, QByteArray(300000, 'x')); // longer than the image's text
    const ImageSnapshot saved = RandomSnapshot(rng);
    ASSERT_TRUE(WriteImageFile(file, saved, error)) << error.toStdString();
    EXPECT_EQ(contents(file), FormatImage(saved));

    const std::optional<ImageSnapshot> read = ReadImageFile(file, error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(FirstDifference(*read, saved), "");
}

TEST_F(ImageFileIoTest, AFailedSaveNamesThePathAndTheReason)
{
    put(path("plain"), "not a folder");
    const QString file = path("plain/image.json");
    EXPECT_FALSE(WriteImageFile(file, RandomSnapshot(rng), error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("cannot write \"%1\": ").arg(file)))
        << error.toStdString();
    EXPECT_GT(error.size(), QStringLiteral("cannot write \"%1\": ").arg(file).size());
}

// A file size limit stands in for a full disk: the new text cannot be
// written whole, and the old file must survive untouched.
TEST_F(ImageFileIoTest, ASaveThatCannotBeCompletedLeavesTheOldFileInPlace)
{
    const QString file = path("image.json");
    const QByteArray old = FormatImage(RandomSnapshot(rng));
    put(file, old);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const sighandler_t handler = signal(SIGXFSZ, SIG_IGN); // EFBIG instead of a signal
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = WriteImageFile(file, RandomSnapshot(rng), error);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, handler);

    EXPECT_FALSE(written);
    // The system's reason, not a count of bytes or an unknown error.
    EXPECT_EQ(error, QStringLiteral("cannot write \"%1\": %2").arg(file, strerror(EFBIG)));
    EXPECT_EQ(contents(file), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"image.json"});
}

TEST_F(ImageFileIoTest, ReadRefusesWhatIsNoImageFileAndNamesThePath)
{
    // A sparse file: 100 MB on paper, nothing on disk, refused by its size.
    const QString huge = path("huge.json");
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(100 * 1024 * 1024));
    }
    struct Case
    {
        QString file;
        QString message;
    };
    const Case cases[] = {
        // Paths are never shortened, however long.
        {path(kLongMissing), QStringLiteral("cannot open \"%1\": ").arg(path(kLongMissing))},
        {dir.path(), QStringLiteral("\"%1\" is a folder, not a file").arg(dir.path())},
        {huge, QStringLiteral("\"%1\" is too large (104857600 bytes; a memory image file has at "
                              "most 4194304)")
                   .arg(huge)},
        // A device without end is cut off just past the limit.
        {QStringLiteral("/dev/zero"),
         QStringLiteral("\"/dev/zero\" is too large (more than 4194304 bytes")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        error.clear();
        EXPECT_FALSE(ReadImageFile(c.file, error));
        EXPECT_TRUE(error.startsWith(c.message)) << error.toStdString();
    }
}

TEST_F(ImageFileIoTest, AFileWithBadContentsGivesTheParsersMessage)
{
    const QString file = path("bad.json");
    put(file, "{\"format\": \"foo\"}");
    EXPECT_FALSE(ReadImageFile(file, error));
    EXPECT_EQ(error, QStringLiteral("format: \"foo\" is not an Orvane memory image"));
}

} // namespace
