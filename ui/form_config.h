// TFormConfig: the link settings dialog. It keeps its own copy of the
// LinkSettings, loads it from the settings store when shown and writes it
// back on Ok. Below the lists it shows the device the chosen COM port opens;
// its Device... button lets the user map that port to another device, which
// the device chooser stores at once (it is the only other thing it changes).
#pragma once

#include "serial/link_settings.h"

#include <QDialog>

#include <exception>

class QComboBox;
class QLabel;
class QPushButton;
class SettingsStore;
class TFormDevices;

class TFormConfig : public QDialog
{
    Q_OBJECT

public:
    // store must outlive the dialog.
    explicit TFormConfig(SettingsStore& store, QWidget* parent = nullptr);

    // Shows the dialog modally: FormShow, then the dialog's own loop. A
    // SettingsError from Ok's writes is thrown once the dialog has closed.
    int ShowModal();

    // Loads the store into the dialog's copy, a value of the wrong type
    // taking its default, then fills the lists and selects the copy's
    // entries; an index outside its list selects nothing.
    void FormShow();
    // Ok: takes the selections (-1 for a list without one) into the copy and
    // writes all five values, unless the store cannot be opened.
    void Button1Click();

    // Device...: lets the user choose the device of the selected COM port.
    void BtnDeviceClick();
    // Shows what the selected COM port opens (the mapped path, its default
    // device or the virtual port) and whether it is there now.
    void UpdateDeviceLabel();

    const LinkSettings& Settings() const { return m_settings; }
    TFormDevices* FormDevices() const { return m_formDevices; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* makeLabel(const char* name, const char* text, int x, int y, int columnWidth);
    QComboBox* makeList(const char* name, int x, int y, int width);
    LinkSettings selections() const;

    SettingsStore& m_store;
    LinkSettings m_settings;
    std::exception_ptr m_okError;

    QComboBox* cboCommPort = nullptr;
    QComboBox* cboBaudRate = nullptr;
    QComboBox* cboParity = nullptr;
    QComboBox* cboDataBits = nullptr;
    QComboBox* cboStopBits = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* BtnDevice = nullptr;
    QLabel* lblDevice = nullptr;
    TFormDevices* m_formDevices = nullptr;
};
