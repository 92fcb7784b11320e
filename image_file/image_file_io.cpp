// Memory image files on disk: read with a size limit checked before the
// contents, written through QSaveFile so the old file stays until the new
// one is complete.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "image_file/image_file.h"
#include "image_file/message_text.h"

using namespace image_file;

namespace {

QString PathForMessage(const QString& path)
{
    return Quoted(QDir::toNativeSeparators(path), kQuoteWhole);
}

QString TooLarge(const QString& path, qint64 size)
{
    return QStringLiteral("%1 is too large (%2 bytes; a memory image file has at most %3)")
        .arg(PathForMessage(path))
        .arg(size)
        .arg(kMaxFileBytes);
}

} // namespace

std::optional<ImageSnapshot> ReadImageFile(const QString& path, QString& error)
{
    if (QFileInfo(path).isDir()) {
        error = QStringLiteral("%1 is a folder, not a file").arg(PathForMessage(path));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot open %1: %2").arg(PathForMessage(path), file.errorString());
        return std::nullopt;
    }
    if (!file.isSequential() && file.size() > kMaxFileBytes) {
        error = TooLarge(path, file.size());
        return std::nullopt;
    }
    // One byte past the limit tells a pipe or device that goes on from a
    // file that fits, without reading the rest of it.
    const QByteArray data = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot read %1: %2").arg(PathForMessage(path), file.errorString());
        return std::nullopt;
    }
    if (data.size() > kMaxFileBytes) {
        error = QStringLiteral("%1 is too large (more than %2 bytes, the most a memory image "
                               "file has)")
                    .arg(PathForMessage(path))
                    .arg(kMaxFileBytes);
        return std::nullopt;
    }
    return ParseImage(data, error);
}

bool WriteImageFile(const QString& path, const ImageSnapshot& snapshot, QString& error)
{
    auto fail = [&](const QString& reason) {
        error = QStringLiteral("cannot write %1: %2").arg(PathForMessage(path), reason);
        return false;
    };
    const QByteArray data = FormatImage(snapshot);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    // A full disk first shows as a short write with no error; writing on
    // gets the system's reason for it.
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 n = file.write(data.constData() + done, data.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done < data.size()) {
        const QString reason =
            file.error() != QFileDevice::NoError
                ? file.errorString()
                : QStringLiteral("only %1 of %2 bytes could be written").arg(done).arg(data.size());
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
