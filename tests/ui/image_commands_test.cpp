// Open Image and Save Image As over the memory pages, offscreen: a good
// file changes the image and the fields show it at once, a bad one leaves
// the image and says why, a save writes a file that reads back, and the
// program's own dialogs offer the format's files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <random>
#include <thread>

#include "components/kiv_grid.h"
#include "core/image_snapshot.h"
#include "core/plc_image.h"
#include "image_file/image_file.h"
#include "support/random_image.h"
#include "ui/image_commands.h"
#include "ui/memory_views.h"

namespace {

struct Shown
{
    QString text;
    QString informative;
};

class ImageCommandsTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pages.resize(794, 511);
        views->SetUpGrids();
        views->SetUpAddressFields();
        views->Edit1Change();
        views->RefreshViews();
        pages.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pages));
        commands.SetOpenDialog([this](const QString& suggested) {
            suggestions.push_back(suggested);
            return chosen;
        });
        commands.SetSaveDialog([this](const QString& suggested) {
            suggestions.push_back(suggested);
            return chosen;
        });
        commands.SetWarning([this](const QString& text, const QString& informative) {
            warnings.push_back({text, informative});
        });
    }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QString saveFile(const char* name, const ImageSnapshot& s)
    {
        QString error;
        const QString file = path(name);
        EXPECT_TRUE(WriteImageFile(file, s, error)) << error.toStdString();
        return file;
    }

    // What the pages show of the image, field by field.
    void expectViewsShow(const ImageSnapshot& s)
    {
        const int db = views->dbNumber();
        const DbDirectoryEntry& entry = s.directory[db];
        EXPECT_EQ(views->edit(2)->text(), QString::number(entry.start));
        EXPECT_EQ(views->edit(8)->text(), QString::number(entry.length));
        EXPECT_EQ(views->comboBox(1)->currentIndex(), entry.exists ? 1 : 0);
        const int bases[] = {s.bases.t, s.bases.z, s.bases.mb, s.bases.eb, s.bases.ab};
        for (int n = 3; n <= 7; ++n)
            EXPECT_EQ(views->edit(n)->text(), QString::number(bases[n - 3])) << "Edit" << n;
        EXPECT_EQ(views->comboBox(2)->currentIndex(), s.running ? 0 : 1);
        EXPECT_EQ(views->comboBox(3)->currentIndex(), s.batteryOk ? 0 : 1);
        for (int w : {0, 127})
            EXPECT_EQ(views->grid(MemoryViews::DataBlockPage)->GetCellText(1, w + 1),
                      QString::number(s.dbWords[db][w]));
        EXPECT_EQ(views->grid(MemoryViews::MerkerPage)->GetCellText(1, 256),
                  QString::number(s.merkers[255]));
        EXPECT_EQ(views->grid(MemoryViews::OutputPage)->GetCellText(1, 1),
                  QString::number(s.outputs[0]));
    }

    QTemporaryDir dir;
    PlcImage image;
    QTabWidget pages;
    MemoryViews* views = new MemoryViews(image, &pages);
    ImageCommands commands{image, *views, &pages};
    std::mt19937 rng{51};
    QString chosen;
    std::vector<QString> suggestions;
    std::vector<Shown> warnings;
};

TEST_F(ImageCommandsTest, OpeningAFileLoadsTheWholeImageAndThePagesShowItAtOnce)
{
    views->edit(1)->setText(QStringLiteral("7"));
    ImageSnapshot s = RandomSnapshot(rng);
    s.running = !image.IsRunning();
    s.batteryOk = !image.IsBatteryOk();
    chosen = saveFile("good.json", s);

    commands.FileOpenImageExecute();
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(FirstDifference(CaptureImage(image), s), "");
    expectViewsShow(s);
}

TEST_F(ImageCommandsTest, SaveDefaultOpenGivesTheImageBack)
{
    ApplyImage(image, RandomSnapshot(rng));
    image.SetRunning(false);
    const ImageSnapshot saved = CaptureImage(image);
    chosen = path("saved.json");
    commands.FileSaveImageAsExecute();
    ASSERT_TRUE(warnings.empty()) << warnings[0].informative.toStdString();
    ASSERT_EQ(suggestions.size(), 1u);
    EXPECT_TRUE(suggestions[0].endsWith(QStringLiteral(".json"))) << suggestions[0].toStdString();

    QString error;
    const std::optional<ImageSnapshot> inFile = ReadImageFile(chosen, error);
    ASSERT_TRUE(inFile) << error.toStdString();
    EXPECT_EQ(FirstDifference(*inFile, saved), "");

    image.ResetToDefaults();
    image.SetRunning(true);
    views->Edit1Change();
    views->SetUpAddressFields();
    commands.FileOpenImageExecute();
    EXPECT_EQ(FirstDifference(CaptureImage(image), saved), "");
    expectViewsShow(saved);
    // The next dialog offers the file just used.
    EXPECT_EQ(suggestions.back(), chosen);
}

TEST_F(ImageCommandsTest, AFileThatCannotBeLoadedIsReportedAndLeavesTheImage)
{
    ApplyImage(image, RandomSnapshot(rng));
    views->Edit1Change();
    views->SetUpAddressFields();
    views->RefreshViews();
    const ImageSnapshot before = CaptureImage(image);
    const QString shownStart = views->edit(2)->text();

    QByteArray text = FormatImage(RandomSnapshot(rng));
    // The last row of the outputs, the last thing read: everything before it
    // has been parsed when the fault is found. "status" follows it.
    const qsizetype rowEnd = text.lastIndexOf('"', text.indexOf("\"status\"") - 1);
    text[text.lastIndexOf('"', rowEnd - 1) + 1] = 'X';
    const QString bad = path("bad.json");
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    struct Case
    {
        QString file;
        QString informative;
    };
    const Case cases[] = {
        {bad, QStringLiteral("outputs: row 16 (values 120 to 127): ")},
        {path("missing.json"), QStringLiteral("cannot open \"%1\"").arg(path("missing.json"))},
        {dir.path(), QStringLiteral("\"%1\" is a folder, not a file").arg(dir.path())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        warnings.clear();
        chosen = c.file;
        commands.FileOpenImageExecute();
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0].text,
                  QStringLiteral("The memory image %1 could not be loaded.").arg(c.file));
        EXPECT_TRUE(warnings[0].informative.startsWith(c.informative))
            << warnings[0].informative.toStdString();
        EXPECT_EQ(FirstDifference(CaptureImage(image), before), "");
        EXPECT_EQ(views->edit(2)->text(), shownStart);
    }
}

TEST_F(ImageCommandsTest, ASaveThatFailsIsReportedWithThePathAndTheReason)
{
    QFile plain(path("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    chosen = path("plain/image.json");
    commands.FileSaveImageAsExecute();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].text,
              QStringLiteral("The memory image could not be saved to %1.").arg(chosen));
    EXPECT_TRUE(
        warnings[0].informative.startsWith(QStringLiteral("cannot write \"%1\": ").arg(chosen)))
        << warnings[0].informative.toStdString();
}

TEST_F(ImageCommandsTest, CancelledDialogsDoNothing)
{
    const ImageSnapshot before = CaptureImage(image);
    chosen.clear();
    commands.FileOpenImageExecute();
    commands.FileSaveImageAsExecute();
    EXPECT_EQ(suggestions.size(), 2u);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(CaptureImage(image), before);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

// A worker writing the timers while the file loads: the rest of the image
// is the file's, and the pages show what the image holds.
TEST_F(ImageCommandsTest, OpeningWhileTheWorkerWritesCells)
{
    const ImageSnapshot s = RandomSnapshot(rng);
    chosen = saveFile("good.json", s);
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        for (int32_t v = 0; !stop.load(); v = (v + 1) & 0xFFFF)
            image.WriteCell(PlcArea::T, v % PlcImage::kWordCells, v);
    });
    commands.FileOpenImageExecute();
    stop.store(true);
    worker.join();

    ImageSnapshot after = CaptureImage(image);
    after.timers = s.timers;
    EXPECT_EQ(FirstDifference(after, s), "");
    views->RefreshViews();
    expectViewsShow(s);
}

// The program's own dialogs and box, driven as the operator drives them.
class ImageCommandsDialogTest : public ::testing::Test
{
  protected:
    // Runs command; while a modal window is open, act on it.
    void whileModal(const std::function<void()>& command, const std::function<void(QWidget*)>& act)
    {
        bool acted = false;
        QTimer::singleShot(0, &pages, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            acted = true;
            act(modal);
        });
        // A window that does not close must not hang the suite.
        QTimer::singleShot(10000, &pages, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        command();
        EXPECT_TRUE(acted);
    }

    QTemporaryDir dir;
    PlcImage image;
    QTabWidget pages;
    MemoryViews* views = new MemoryViews(image, &pages);
    ImageCommands commands{image, *views, &pages};
};

TEST_F(ImageCommandsDialogTest, SaveAsOffersAJsonNameAndOpenReadsTheFileBack)
{
    pages.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pages));
    image.WriteDbWord(1, 0, 0x1234);
    whileModal([&] { commands.FileSaveImageAsExecute(); },
               [&](QWidget* modal) {
                   auto* dialog = qobject_cast<QFileDialog*>(modal);
                   ASSERT_TRUE(dialog);
                   EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
                   EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("json"));
                   EXPECT_TRUE(dialog->nameFilters().contains(
                       QStringLiteral("Orvane memory image (*.json)")));
                   ASSERT_EQ(dialog->selectedFiles().size(), 1);
                   EXPECT_TRUE(dialog->selectedFiles()[0].endsWith(QStringLiteral("/image.json")));
                   // A name typed without a suffix gets .json.
                   dialog->setDirectory(dir.path());
                   dialog->selectFile(QStringLiteral("mine"));
                   static_cast<QDialog*>(dialog)->accept(); // as the Save or Open button
               });
    const QString file = dir.filePath(QStringLiteral("mine.json"));
    ASSERT_TRUE(QFile::exists(file));

    image.ResetToDefaults();
    whileModal([&] { commands.FileOpenImageExecute(); },
               [&](QWidget* modal) {
                   auto* dialog = qobject_cast<QFileDialog*>(modal);
                   ASSERT_TRUE(dialog);
                   EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
                   ASSERT_EQ(dialog->selectedFiles().size(), 1);
                   EXPECT_EQ(dialog->selectedFiles()[0], file); // the file last saved
                   static_cast<QDialog*>(dialog)->accept();     // as the Save or Open button
               });
    EXPECT_EQ(image.ReadDbWord(1, 0), 0x1234);
}

TEST_F(ImageCommandsDialogTest, ABadFileShowsAWarningBoxWithTheReason)
{
    pages.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pages));
    const QString file = dir.filePath(QStringLiteral("bad.json"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\"format\": \"foo\"}");
    }
    commands.SetOpenDialog([&](const QString&) { return file; });
    whileModal([&] { commands.FileOpenImageExecute(); },
               [&](QWidget* modal) {
                   auto* box = qobject_cast<QMessageBox*>(modal);
                   ASSERT_TRUE(box);
                   EXPECT_EQ(box->windowTitle(), QStringLiteral("Warning..."));
                   EXPECT_EQ(box->icon(), QMessageBox::Warning);
                   EXPECT_EQ(box->text(),
                             QStringLiteral("The memory image %1 could not be loaded.").arg(file));
                   EXPECT_EQ(box->informativeText(),
                             QStringLiteral("format: \"foo\" is not an Orvane memory image"));
                   box->accept();
               });
}

} // namespace
