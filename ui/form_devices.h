// TFormDevices: the serial device chooser of the settings dialog. It lists
// the machine's serial devices (names, paths, and why one cannot be opened
// now) for one COM port; OK or a double click stores the chosen device as
// that port's mapping at once, Default removes the mapping, Cancel changes
// nothing. A store that cannot be written is reported in a warning box and
// the dialog stays open.
#pragma once

#include "devices/serial_devices.h"

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class SettingsStore;

class TFormDevices : public QDialog
{
    Q_OBJECT

public:
    // store must outlive the dialog.
    explicit TFormDevices(SettingsStore& store, QWidget* parent = nullptr);

    // Where the list is looked for, and for whom (the real /dev, /sys and
    // user by default).
    void SetScanOptions(const DeviceScanOptions& options) { m_scanOptions = options; }
    const DeviceScanOptions& ScanOptions() const { return m_scanOptions; }

    // FormShow for comName, then the dialog's own loop; Accepted when a
    // device was stored or the mapping removed.
    int ChooseFor(const std::string& comName);
    // Lists the devices afresh for comName ("COM1" .. "COM255") and selects
    // the one its mapping names, if listed.
    void FormShow(const std::string& comName);

    const std::vector<SerialDevice>& Devices() const { return m_devices; }

private:
    void BtnOKClick();
    void BtnDefaultClick();
    // Runs a store change; on SettingsError shows it and answers false.
    template <typename Change>
    bool changeStore(const char* what, Change change);
    const SerialDevice* selectedDevice() const;

    SettingsStore& m_store;
    DeviceScanOptions m_scanOptions;
    std::string m_comName;
    std::vector<SerialDevice> m_devices;

    QLabel* lblPort = nullptr;
    QTreeWidget* lstDevices = nullptr;
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnDefault = nullptr;
    QPushButton* BtnCancel = nullptr;
};
