// Open Image and Save Image As: the whole memory image loaded from and
// saved to a memory image file. Both work while the emulation runs: the
// image is shared cell by cell, and a load writes it one value at a time.
#pragma once

#include <QString>
#include <functional>

class MemoryViews;
class PlcImage;
class QWidget;

class ImageCommands
{
  public:
    // Asks for a file; suggested is the name to offer. Empty when cancelled.
    using FileChooser = std::function<QString(const QString& suggested)>;
    // Shows a warning box with the caption "Warning...", text and the
    // informative text beneath it.
    using Warning = std::function<void(const QString& text, const QString& informative)>;

    ImageCommands(PlcImage& image, MemoryViews& views, QWidget* window);

    // Loads the chosen file; a file that cannot be loaded leaves the image
    // as it was and is reported in the warning box.
    void FileOpenImageExecute();
    // Saves the image to the chosen file; a failed save is reported.
    void FileSaveImageAsExecute();

    // Replace the file dialogs and the warning box, for tests.
    void SetOpenDialog(FileChooser chooser) { m_openDialog = std::move(chooser); }
    void SetSaveDialog(FileChooser chooser) { m_saveDialog = std::move(chooser); }
    void SetWarning(Warning warning) { m_warning = std::move(warning); }

  private:
    // The file last opened or saved, else image.json in the working folder.
    QString SuggestedFile() const;

    PlcImage& m_image;
    MemoryViews& m_views;
    FileChooser m_openDialog;
    FileChooser m_saveDialog;
    Warning m_warning;
    QString m_lastFile;
};
