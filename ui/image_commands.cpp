// The image file commands over the image file format: the dialogs and the
// warning box here, the reading, checking and writing in image_file/.
#include "ui/image_commands.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "core/image_snapshot.h"
#include "image_file/image_file.h"
#include "ui/memory_views.h"

namespace {

QString ChooseFile(QWidget* window, QFileDialog::AcceptMode mode, const QString& suggested)
{
    QFileDialog dialog(window);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setWindowTitle(mode == QFileDialog::AcceptOpen ? QStringLiteral("Open Image")
                                                          : QStringLiteral("Save Image As"));
    dialog.setNameFilter(QStringLiteral("Orvane memory image (*.json);;All files (*)"));
    dialog.setDefaultSuffix(QStringLiteral("json"));
    const QFileInfo info(suggested);
    dialog.setDirectory(info.absolutePath());
    if (mode == QFileDialog::AcceptSave || info.isFile())
        dialog.selectFile(info.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

ImageCommands::ImageCommands(PlcImage& image, MemoryViews& views, QWidget* window)
    : m_image(image), m_views(views)
{
    m_openDialog = [window](const QString& suggested) {
        return ChooseFile(window, QFileDialog::AcceptOpen, suggested);
    };
    m_saveDialog = [window](const QString& suggested) {
        return ChooseFile(window, QFileDialog::AcceptSave, suggested);
    };
    m_warning = [window](const QString& text, const QString& informative) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning..."), text, QMessageBox::Ok,
                        window);
        box.setInformativeText(informative);
        box.exec();
    };
}

QString ImageCommands::SuggestedFile() const
{
    return m_lastFile.isEmpty() ? QDir::current().filePath(QStringLiteral("image.json"))
                                : m_lastFile;
}

void ImageCommands::FileOpenImageExecute()
{
    const QString file = m_openDialog(SuggestedFile());
    if (file.isEmpty())
        return;
    QString error;
    const std::optional<ImageSnapshot> snapshot = ReadImageFile(file, error);
    if (!snapshot) {
        m_warning(QStringLiteral("The memory image %1 could not be loaded.")
                      .arg(QDir::toNativeSeparators(file)),
                  error);
        return;
    }
    m_lastFile = file;
    ApplyImage(m_image, *snapshot);
    // The fields show their values only when told, as after Default; the
    // grids and the selectors follow at once instead of at the next tick.
    m_views.Edit1Change();
    m_views.SetUpAddressFields();
    m_views.RefreshViews();
}

void ImageCommands::FileSaveImageAsExecute()
{
    const QString file = m_saveDialog(SuggestedFile());
    if (file.isEmpty())
        return;
    QString error;
    if (!WriteImageFile(file, CaptureImage(m_image), error)) {
        m_warning(QStringLiteral("The memory image could not be saved to %1.")
                      .arg(QDir::toNativeSeparators(file)),
                  error);
        return;
    }
    m_lastFile = file;
}
