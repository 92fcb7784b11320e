// The device chooser on its own, offscreen: what its list shows for a
// pretended user, and what a store that refuses writes does to it.
#include "ui/form_devices.h"

#include "serial/port_mapping.h"
#include "serial/settings_keys.h"

#include "fakes/memory_settings_store.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

namespace {

namespace keys = settings_keys;

class FormDevicesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.isValid());
        ASSERT_TRUE(QDir(tree.path()).mkpath("dev/serial/by-id"));
        ASSERT_TRUE(QFile::link("/dev/null", dev("serial/by-id/usb-Maker_Cable_A1-if00-port0")));
        ASSERT_TRUE(QFile::link("../../ttyUSB5", dev("serial/by-id/usb-Gone_Cable_B2-if00-port0")));
        options.devRoot = dev("").toStdString();
        options.sysRoot = tree.filePath("sys").toStdString();
        options.user.uid = 4200; // not root, in no group of the tree's nodes
        options.user.gid = 4201;
        chooser.SetScanOptions(options);
    }
    QString dev(const QString& name) const { return tree.filePath("dev/" + name); }
    QTreeWidget& list() { return *chooser.findChild<QTreeWidget*>("lstDevices"); }
    QPushButton* button(const char* name) { return chooser.findChild<QPushButton*>(name); }
    QTreeWidgetItem* item(const char* name)
    {
        const auto found = list().findItems(name, Qt::MatchExactly, 0);
        return found.isEmpty() ? nullptr : found.front();
    }
    MemorySettingsStore::Values& ports() { return store.values(keys::kPorts); }

    // Runs act inside the chooser's loop for COM1 and closes the chooser
    // afterwards whatever act did.
    int choose(const std::function<void()>& act)
    {
        QTimer::singleShot(0, &chooser, [&] {
            act();
            if (chooser.isVisible())
                chooser.reject();
        });
        return chooser.ChooseFor("COM1");
    }
    // Presses button and answers the warning box it brings up; the box's text.
    QString pressExpectingWarning(const char* name)
    {
        QString text;
        QTimer::singleShot(0, &chooser, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->done(QMessageBox::Ok);
            }
        });
        QTest::mouseClick(button(name), Qt::LeftButton);
        return text;
    }

    QTemporaryDir tree;
    DeviceScanOptions options;
    MemorySettingsStore store;
    TFormDevices chooser{store};
};

TEST_F(FormDevicesTest, ListShowsNamesPathsAndWhyADeviceCannotBeOpened)
{
    const QString locked = dev("ttyUSB1");
    if (mknod(locked.toLocal8Bit().constData(), S_IFCHR | 0600, makedev(1, 3)) != 0
        || chown(locked.toLocal8Bit().constData(), 0, 0) != 0)
        GTEST_SKIP() << "cannot make a root-owned device node here: " << std::strerror(errno);
    chmod(locked.toLocal8Bit().constData(), 0600);
    ports()["COM1"] = std::string("/tmp/orvane-plc"); // a mapping the list does not hold

    chooser.FormShow("COM1");
    EXPECT_EQ(list().headerItem()->text(0), "Device");
    EXPECT_EQ(list().headerItem()->text(1), "Path");
    ASSERT_EQ(list().topLevelItemCount(), 4);
    const QStringList rows[] = {
        {"usb-Gone_Cable_B2-if00-port0", dev("serial/by-id/usb-Gone_Cable_B2-if00-port0"),
         "the link leads to " + dev("ttyUSB5") + ", which is missing"},
        {"usb-Maker_Cable_A1-if00-port0", dev("serial/by-id/usb-Maker_Cable_A1-if00-port0"),
         "leads to /dev/null"},
        {"ttyUSB1", locked, "no permission: owned by root, mode 0600"},
        {"Virtual port (pty)", "", "a pseudo-terminal pair made when the port opens"},
    };
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        const QTreeWidgetItem* entry = list().topLevelItem(row);
        EXPECT_EQ(QStringList({entry->text(0), entry->text(1), entry->text(2)}), rows[row]);
    }
    EXPECT_FALSE(list().currentItem());
    EXPECT_FALSE(button("BtnOK")->isEnabled());
    EXPECT_EQ(chooser.findChild<QLabel*>("lblPort")->text(), "Device that COM1 opens (now /tmp/orvane-plc):");
}

TEST_F(FormDevicesTest, RefusedWritesAreShownAndTheDialogStays)
{
    ports()["COM1"] = std::string("/dev/ttyUSB0");
    store.failWrites = true;
    QString storeText;
    QString removeText;
    const int result = choose([&] {
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {},
                          list().visualItemRect(item("usb-Maker_Cable_A1-if00-port0")).center());
        storeText = pressExpectingWarning("BtnOK");
        EXPECT_TRUE(chooser.isVisible());
        removeText = pressExpectingWarning("BtnDefault");
        EXPECT_TRUE(chooser.isVisible());
        QTest::mouseClick(button("BtnCancel"), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(storeText, "Cannot store the device of COM1:\nCannot write 'COM1'");
    EXPECT_EQ(removeText, "Cannot remove the device of COM1:\nCannot delete 'COM1'");
    EXPECT_EQ(std::get<std::string>(ports().at("COM1")), "/dev/ttyUSB0");

    // A store that cannot be opened at all says so too.
    store.failWrites = false;
    store.unavailable = true;
    QString text;
    choose([&] {
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {},
                          list().visualItemRect(item("Virtual port (pty)")).center());
        text = pressExpectingWarning("BtnOK");
    });
    EXPECT_TRUE(text.startsWith("Cannot store the device of COM1:\nCannot open the settings")) << text.toStdString();
    EXPECT_EQ(store.writes, 0);
}

TEST_F(FormDevicesTest, AnAcceptedChoiceIsTheResult)
{
    const int result = choose([&] {
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {},
                          list().visualItemRect(item("Virtual port (pty)")).center());
        QTest::keyClick(&list(), Qt::Key_Return); // Return takes the current entry
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(ReadPortMapping(store, "COM1"), kVirtualPortDevice);
}

} // namespace

namespace {

TEST_F(FormDevicesTest, TheMappedDeviceIsMarkedAlsoThroughItsByIdLink)
{
    chooser.FormShow("COM2");
    EXPECT_FALSE(list().currentItem());
    EXPECT_EQ(chooser.findChild<QLabel*>("lblPort")->text(), "Device that COM2 opens (now /dev/ttyS1, its own):");

    ports()["COM2"] = std::string("/dev/null"); // the tty the Maker link leads to
    chooser.FormShow("COM2");
    ASSERT_TRUE(list().currentItem());
    EXPECT_EQ(list().currentItem()->text(0), "usb-Maker_Cable_A1-if00-port0");
    EXPECT_TRUE(button("BtnOK")->isEnabled());

    ports()["COM2"] = std::string("pty");
    chooser.FormShow("COM2");
    ASSERT_TRUE(list().currentItem());
    EXPECT_EQ(list().currentItem()->text(0), "Virtual port (pty)");
}

} // namespace
