// The link settings dialog, offscreen, driven with Qt Test's input, with
// its device row and the device chooser it opens.
#include "ui/form_config.h"

#include "serial/port_mapping.h"
#include "serial/settings_keys.h"
#include "ui/form_devices.h"

#include "fakes/memory_settings_store.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <optional>

namespace {

namespace keys = settings_keys;

class FormConfigTest : public ::testing::Test
{
protected:
    QComboBox* list(const char* name) { return dialog.findChild<QComboBox*>(name); }
    QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(name); }
    QLabel* label(const char* name) { return dialog.findChild<QLabel*>(name); }
    MemorySettingsStore::Values& stored() { return store.values(keys::kLinkSettings); }
    int32_t storedInt(const char* name) { return std::get<int32_t>(stored().at(name)); }
    std::vector<int32_t> storedFive()
    {
        return {storedInt(keys::kCommPort), storedInt(keys::kBaudRate), storedInt(keys::kParity),
                storedInt(keys::kDataBits), storedInt(keys::kStopBits)};
    }
    void storeFive(int32_t port, int32_t baud, int32_t parity, int32_t data, int32_t stop)
    {
        stored() = {{keys::kCommPort, port}, {keys::kBaudRate, baud}, {keys::kParity, parity},
                    {keys::kDataBits, data}, {keys::kStopBits, stop}};
    }
    void showDialog()
    {
        dialog.FormShow();
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    void press(const char* listName, Qt::Key key, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(list(listName), key);
    }

    MemorySettingsStore store;
    TFormConfig dialog{store};
};

TEST_F(FormConfigTest, CaptionsListsAndLayout)
{
    EXPECT_EQ(dialog.windowTitle(), "Configure...");
    EXPECT_EQ(dialog.size(), QSize(365, 123)); // one row below the buttons for the device
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.font().pointSize(), 8);
    EXPECT_EQ(button("Button1")->text(), "&Ok");
    EXPECT_EQ(button("Button2")->text(), "Cancel");

    struct Pair
    {
        const char* label;
        const char* text;
        const char* list;
    };
    const Pair pairs[] = {{"Label3", "Comm port:", "cboCommPort"}, {"Label1", "Baud rate:", "cboBaudRate"},
                          {"Label2", "Parity:", "cboParity"}, {"Label4", "Data bits:", "cboDataBits"},
                          {"Label5", "Stop bits:", "cboStopBits"}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.list);
        QLabel* text = label(pair.label);
        QComboBox* box = list(pair.list);
        ASSERT_TRUE(text && box);
        EXPECT_EQ(text->text(), pair.text);
        EXPECT_TRUE(text->alignment() & Qt::AlignRight);
        EXPECT_LE(text->geometry().right(), box->geometry().left());
        EXPECT_GE(text->geometry().right(), box->geometry().left() - 12);
        EXPECT_EQ(text->geometry().top(), box->geometry().top());
        EXPECT_FALSE(box->isEditable());
        EXPECT_TRUE(dialog.rect().contains(box->geometry()));
    }
    const int firstRow = list("cboCommPort")->y();
    EXPECT_EQ(list("cboBaudRate")->y(), firstRow);
    EXPECT_LT(list("cboCommPort")->width(), list("cboBaudRate")->width());
    const int secondRow = list("cboParity")->y();
    EXPECT_GT(secondRow, firstRow);
    EXPECT_EQ(list("cboDataBits")->y(), secondRow);
    EXPECT_EQ(list("cboStopBits")->y(), secondRow);
    EXPECT_LT(list("cboParity")->x(), list("cboDataBits")->x());
    EXPECT_LT(list("cboDataBits")->x(), list("cboStopBits")->x());
    const QRect ok = button("Button1")->geometry();
    const QRect cancel = button("Button2")->geometry();
    EXPECT_GT(ok.top(), list("cboStopBits")->geometry().bottom());
    EXPECT_EQ(ok.top(), cancel.top());
    EXPECT_LT(ok.right(), cancel.left());
    EXPECT_GT(ok.left(), dialog.width() / 2);
    EXPECT_TRUE(dialog.rect().contains(cancel));
}

TEST_F(FormConfigTest, FirstShowWritesDefaultsAndSelectsThem)
{
    dialog.FormShow();
    EXPECT_EQ(storedFive(), (std::vector<int32_t>{0, 2, 1, 1, 0}));
    EXPECT_EQ(list("cboCommPort")->count(), 255);
    EXPECT_EQ(list("cboCommPort")->itemText(254), "COM255");
    EXPECT_EQ(list("cboBaudRate")->count(), 7);
    EXPECT_EQ(list("cboCommPort")->currentText(), "COM1");
    EXPECT_EQ(list("cboBaudRate")->currentText(), "9600");
    EXPECT_EQ(list("cboParity")->currentText(), "Even");
    EXPECT_EQ(list("cboDataBits")->currentText(), "8");
    EXPECT_EQ(list("cboStopBits")->currentText(), "1");

    dialog.FormShow(); // filled afresh, not appended to
    EXPECT_EQ(list("cboCommPort")->count(), 255);
    EXPECT_EQ(list("cboStopBits")->count(), 2);
}

TEST_F(FormConfigTest, ChoicesAndOkStoreTheirIndices)
{
    showDialog();
    press("cboCommPort", Qt::Key_Down, 2);
    press("cboBaudRate", Qt::Key_Down);
    press("cboParity", Qt::Key_Down);
    press("cboDataBits", Qt::Key_Up);
    press("cboStopBits", Qt::Key_Down);
    EXPECT_EQ(list("cboCommPort")->currentText(), "COM3");
    EXPECT_EQ(list("cboBaudRate")->currentText(), "19200");
    EXPECT_EQ(list("cboParity")->currentText(), "Odd");
    EXPECT_EQ(list("cboDataBits")->currentText(), "7");
    EXPECT_EQ(list("cboStopBits")->currentText(), "2");

    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(storedFive(), (std::vector<int32_t>{2, 3, 2, 0, 1}));
    EXPECT_EQ(dialog.Settings(), (LinkSettings{2, 3, 2, 0, 1}));
}

TEST_F(FormConfigTest, CancelAndEscapeStoreNothing)
{
    storeFive(4, 5, 0, 0, 1);
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        showDialog();
        const int writes = store.writes;
        press("cboCommPort", Qt::Key_Down);
        press("cboParity", Qt::Key_Down);
        if (escape)
            QTest::keyClick(list("cboParity"), Qt::Key_Escape);
        else
            QTest::mouseClick(button("Button2"), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(store.writes, writes);
        EXPECT_EQ(storedFive(), (std::vector<int32_t>{4, 5, 0, 0, 1}));
        EXPECT_EQ(dialog.Settings(), (LinkSettings{4, 5, 0, 0, 1}));

        dialog.FormShow();
        EXPECT_EQ(list("cboCommPort")->currentIndex(), 4);
        EXPECT_EQ(list("cboParity")->currentIndex(), 0);
    }
}

TEST_F(FormConfigTest, StoredIndexOutsideItsListSelectsNothingAndOkStoresMinusOne)
{
    storeFive(300, 7, -1, 1, INT32_MAX);
    showDialog();
    EXPECT_EQ(list("cboCommPort")->currentIndex(), -1);
    EXPECT_EQ(list("cboBaudRate")->currentIndex(), -1);
    EXPECT_EQ(list("cboParity")->currentIndex(), -1);
    EXPECT_EQ(list("cboDataBits")->currentIndex(), 1);
    EXPECT_EQ(list("cboStopBits")->currentIndex(), -1);
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(storedFive(), (std::vector<int32_t>{-1, -1, -1, 1, -1}));
}

TEST_F(FormConfigTest, TabOrderFollowsTheLists)
{
    showDialog();
    list("cboCommPort")->setFocus();
    const char* order[] = {"cboBaudRate", "cboParity", "cboDataBits", "cboStopBits", "Button1", "Button2",
                           "BtnDevice", "cboCommPort"};
    for (const char* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(QApplication::focusWidget());
        EXPECT_EQ(QApplication::focusWidget()->objectName(), next);
    }
}

TEST_F(FormConfigTest, WrongTypeInTheStoreShowsTheDefaultAndOkStoresAGoodValue)
{
    storeFive(1, 2, 1, 0, 0);
    stored()[keys::kDataBits] = std::string("8");
    showDialog();
    EXPECT_EQ(list("cboDataBits")->currentText(), "8"); // the default, index 1
    EXPECT_EQ(list("cboBaudRate")->currentText(), "9600");
    EXPECT_EQ(std::get<std::string>(stored()[keys::kDataBits]), "8");
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(std::get<int32_t>(stored()[keys::kDataBits]), 1);
}

TEST_F(FormConfigTest, UnopenableStoreShowsTheCopyAndOkStoresNothing)
{
    store.unavailable = true;
    showDialog();
    EXPECT_EQ(list("cboBaudRate")->currentText(), "9600");
    press("cboBaudRate", Qt::Key_Down);
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(store.writes, 0);
    EXPECT_EQ(dialog.Settings(), LinkSettings{});
}

TEST_F(FormConfigTest, ShowModalReturnsTheResultAndReportsAFailedWrite)
{
    QTimer::singleShot(0, &dialog, [&] {
        press("cboStopBits", Qt::Key_Down);
        QTest::mouseClick(button("Button1"), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.ShowModal(), QDialog::Accepted);
    EXPECT_EQ(storedInt(keys::kStopBits), 1);

    store.failWrites = true;
    QTimer::singleShot(0, &dialog, [&] { QTest::mouseClick(button("Button1"), Qt::LeftButton); });
    EXPECT_THROW(dialog.ShowModal(), SettingsError);
    EXPECT_FALSE(dialog.isVisible());

    store.failWrites = false;
    QTimer::singleShot(0, &dialog, [&] { QTest::mouseClick(button("Button2"), Qt::LeftButton); });
    EXPECT_EQ(dialog.ShowModal(), QDialog::Rejected);
}

} // namespace

namespace {

// The device row: a stand-in /dev whose nodes are links to /dev/null and
// /dev/zero, which anybody may open.
class FormConfigDeviceTest : public FormConfigTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.isValid());
        ASSERT_TRUE(QDir(tree.path()).mkpath("dev/serial/by-id"));
        ASSERT_TRUE(QFile::link("/dev/zero", dev("ttyUSB0")));
        ASSERT_TRUE(QFile::link("/dev/null", dev("serial/by-id/usb-Maker_Cable_A1-if00-port0")));
        DeviceScanOptions options;
        options.devRoot = tree.filePath("dev").toStdString();
        options.sysRoot = tree.filePath("sys").toStdString();
        dialog.FormDevices()->SetScanOptions(options);
    }
    QString dev(const QString& name) const { return tree.filePath("dev/" + name); }
    std::string devPath(const QString& name) const { return dev(name).toStdString(); }
    MemorySettingsStore::Values& ports() { return store.values(keys::kPorts); }
    std::optional<std::string> mapped(const char* com)
    {
        if (!store.hasKey(keys::kPorts) || !ports().count(com))
            return std::nullopt;
        return std::get<std::string>(ports().at(com));
    }
    std::string deviceLabel() { return label("lblDevice")->toolTip().toStdString(); }

    // Clicks Device... and runs act inside the chooser's loop; the chooser
    // is closed afterwards whatever act did, so that no failure hangs.
    void withChooser(const std::function<void(TFormDevices&, QTreeWidget&)>& act)
    {
        TFormDevices& chooser = *dialog.FormDevices();
        bool ran = false;
        QTimer::singleShot(0, &dialog, [&] {
            ran = true;
            if (auto* list = chooser.findChild<QTreeWidget*>("lstDevices"))
                act(chooser, *list);
            else
                ADD_FAILURE() << "no device list";
            if (chooser.isVisible())
                chooser.reject();
        });
        QTest::mouseClick(button("BtnDevice"), Qt::LeftButton);
        EXPECT_TRUE(ran);
    }
    static QTreeWidgetItem* item(QTreeWidget& list, const char* name)
    {
        const auto found = list.findItems(name, Qt::MatchExactly, 0);
        return found.isEmpty() ? nullptr : found.front();
    }
    static void click(TFormDevices& chooser, const char* buttonName)
    {
        QTest::mouseClick(chooser.findChild<QPushButton*>(buttonName), Qt::LeftButton);
    }
    static void clickItem(QTreeWidget& list, QTreeWidgetItem* entry, bool twice = false)
    {
        ASSERT_TRUE(entry);
        const QPoint centre = list.visualItemRect(entry).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
        if (!twice)
            return;
        // A double click as windows deliver it: a second press, then the
        // double click event. Qt Test's own leaves out that second press,
        // which the item views want to see.
        QTest::mousePress(list.viewport(), Qt::LeftButton, {}, centre);
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, centre, list.viewport()->mapToGlobal(centre),
                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &doubleClick);
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, centre);
    }

    QTemporaryDir tree;
};

TEST_F(FormConfigDeviceTest, LabelTellsWhatTheChosenPortOpensAndFollowsTheSelection)
{
    ports() = {{"COM1", std::string("/dev/null")}, {"COM2", std::string("/nowhere/ttyUSB7")},
               {"COM4", std::string(" pty ")}};
    showDialog();
    EXPECT_EQ(deviceLabel(), "Device: /dev/null (present)");
    QLabel* row = label("lblDevice");
    EXPECT_TRUE(dialog.rect().contains(row->geometry()));
    EXPECT_GT(row->y(), button("Button1")->geometry().bottom());
    EXPECT_LE(row->fontMetrics().horizontalAdvance(row->text()), row->width());

    press("cboCommPort", Qt::Key_Down);
    EXPECT_EQ(deviceLabel(), "Device: /nowhere/ttyUSB7 (missing)");
    press("cboCommPort", Qt::Key_Down); // COM3: no mapping, its own device
    struct stat status
    {
    };
    const bool there = stat("/dev/ttyS2", &status) == 0;
    const std::string label = deviceLabel();
    EXPECT_EQ(label.rfind(there ? "Device: /dev/ttyS2 (present" : "Device: /dev/ttyS2 (missing)", 0), 0u)
        << label;
    press("cboCommPort", Qt::Key_Down);
    EXPECT_EQ(deviceLabel(), "Device: virtual port (pty)");

    EXPECT_TRUE(button("BtnDevice")->isEnabled());
    storeFive(300, 2, 1, 1, 0); // no port selected
    showDialog();
    EXPECT_EQ(deviceLabel(), "Device: no port chosen");
    EXPECT_FALSE(button("BtnDevice")->isEnabled());
}

TEST_F(FormConfigDeviceTest, ChosenDeviceIsStoredForTheSelectedPortAtOnce)
{
    showDialog();
    press("cboCommPort", Qt::Key_Down, 2);
    const auto linkSettings = stored();
    const int writes = store.writes;

    withChooser([&](TFormDevices& chooser, QTreeWidget& list) {
        EXPECT_TRUE(item(list, "usb-Maker_Cable_A1-if00-port0"));
        EXPECT_TRUE(item(list, "Virtual port (pty)"));
        EXPECT_FALSE(chooser.findChild<QPushButton*>("BtnOK")->isEnabled()); // nothing chosen yet
        clickItem(list, item(list, "ttyUSB0"));
        click(chooser, "BtnOK");
        EXPECT_FALSE(chooser.isVisible());
    });
    EXPECT_EQ(mapped("COM3"), devPath("ttyUSB0"));
    EXPECT_EQ(store.writes, writes + 1);
    EXPECT_EQ(stored(), linkSettings); // the five indices wait for Ok
    EXPECT_EQ(deviceLabel(), "Device: " + devPath("ttyUSB0") + " (present)");

    // Opened again, the chooser marks the mapped device; a double click
    // takes another.
    withChooser([&](TFormDevices&, QTreeWidget& list) {
        ASSERT_TRUE(list.currentItem());
        EXPECT_EQ(list.currentItem()->text(0), "ttyUSB0");
        clickItem(list, item(list, "usb-Maker_Cable_A1-if00-port0"), true);
    });
    EXPECT_EQ(mapped("COM3"), devPath("serial/by-id/usb-Maker_Cable_A1-if00-port0"));
    EXPECT_EQ(deviceLabel(), "Device: " + devPath("serial/by-id/usb-Maker_Cable_A1-if00-port0") + " (present)");

    withChooser([&](TFormDevices& chooser, QTreeWidget& list) {
        clickItem(list, item(list, "Virtual port (pty)"));
        click(chooser, "BtnOK");
    });
    EXPECT_EQ(mapped("COM3"), kVirtualPortDevice);
    EXPECT_EQ(deviceLabel(), "Device: virtual port (pty)");
    EXPECT_FALSE(mapped("COM1"));
}

TEST_F(FormConfigDeviceTest, CancelKeepsTheMappingAndDefaultRemovesIt)
{
    ports()["COM1"] = devPath("ttyUSB0");
    ports()["COM2"] = std::string("/dev/null");
    showDialog();
    const int writes = store.writes;

    withChooser([&](TFormDevices& chooser, QTreeWidget& list) {
        clickItem(list, item(list, "Virtual port (pty)"));
        click(chooser, "BtnCancel");
    });
    EXPECT_EQ(store.writes, writes);
    EXPECT_EQ(mapped("COM1"), devPath("ttyUSB0"));

    withChooser([&](TFormDevices& chooser, QTreeWidget&) { click(chooser, "BtnDefault"); });
    EXPECT_FALSE(mapped("COM1"));
    EXPECT_EQ(mapped("COM2"), "/dev/null");
    EXPECT_EQ(deviceLabel().rfind("Device: /dev/ttyS0 (", 0), 0u) << deviceLabel();
}

} // namespace
