// The link settings dialog: fixed layout of five lists and two buttons, and
// a row for the device of the chosen port.
#include "ui/form_config.h"

#include "devices/device_access.h"
#include "serial/device_names.h"
#include "serial/port_mapping.h"
#include "serial/settings_store.h"
#include "ui/form_devices.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStringList>

#include <utility>

namespace {

constexpr int kClientWidth = 365;
constexpr int kClientHeight = 123;
constexpr int kRowHeight = 21;
constexpr int kFirstRowY = 8;
constexpr int kSecondRowY = 36;
constexpr int kLabelGap = 4;
constexpr int kDeviceRowY = 94;

// The device as the label tells it: what the port opens and whether that is
// there now.
QString deviceText(SettingsStore& store, const QString& comName, const UserIdentity& user)
{
    if (comName.isEmpty())
        return QStringLiteral("Device: no port chosen");
    const std::string device = ResolvePortDevice(store, comName.toStdString(), DefaultDevicePath);
    if (device == kVirtualPortDevice)
        return QStringLiteral("Device: virtual port (pty)");
    const DeviceCheck check = CheckDevice(device, user);
    std::string state = check.problem;
    if (check.present)
        state = check.problem.empty() ? "present" : "present, " + check.problem;
    return QStringLiteral("Device: %1 (%2)").arg(QString::fromStdString(device), QString::fromStdString(state));
}

// A path may be longer than the row: the middle gives way, the tip keeps
// the whole text.
void setElidedText(QLabel* label, const QString& text)
{
    label->setToolTip(text);
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width()));
}

QStringList entries(LinkList list)
{
    QStringList result;
    for (const auto& entry : LinkListEntries(list))
        result << QString::fromStdString(entry);
    return result;
}

void fill(QComboBox* box, LinkList list, int32_t index)
{
    box->clear();
    box->addItems(entries(list));
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace

TFormConfig::TFormConfig(SettingsStore& store, QWidget* parent)
    : QDialog(parent)
    , m_store(store)
{
    setObjectName("FormConfig");
    setWindowTitle("Configure...");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(8);
    setFont(font);

    // Each label takes its column but the gap before its list; the columns
    // fit "Comm port:" and "Data bits:" at 8 pt in the common desktop fonts.
    makeLabel("Label3", "Comm port:", 8, kFirstRowY, 72);
    cboCommPort = makeList("cboCommPort", 80, kFirstRowY, 80);
    makeLabel("Label1", "Baud rate:", 164, kFirstRowY, 68);
    cboBaudRate = makeList("cboBaudRate", 232, kFirstRowY, 125);
    makeLabel("Label2", "Parity:", 8, kSecondRowY, 72);
    cboParity = makeList("cboParity", 80, kSecondRowY, 62);
    makeLabel("Label4", "Data bits:", 146, kSecondRowY, 62);
    cboDataBits = makeList("cboDataBits", 208, kSecondRowY, 40);
    makeLabel("Label5", "Stop bits:", 252, kSecondRowY, 62);
    cboStopBits = makeList("cboStopBits", 314, kSecondRowY, 43);

    Button1 = new QPushButton("&Ok", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(201, 63, 75, 25);
    Button2 = new QPushButton("Cancel", this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(282, 63, 75, 25);
    BtnDevice = new QPushButton("&Device...", this);
    BtnDevice->setObjectName("BtnDevice");
    BtnDevice->setGeometry(8, 63, 75, 25);
    lblDevice = new QLabel(this);
    lblDevice->setObjectName("lblDevice");
    lblDevice->setGeometry(8, kDeviceRowY, kClientWidth - 16, kRowHeight);
    m_formDevices = new TFormDevices(store, this);

    setTabOrder(cboCommPort, cboBaudRate);
    setTabOrder(cboBaudRate, cboParity);
    setTabOrder(cboParity, cboDataBits);
    setTabOrder(cboDataBits, cboStopBits);
    setTabOrder(cboStopBits, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, BtnDevice);

    connect(Button1, &QPushButton::clicked, this, [this] {
        try {
            Button1Click();
        } catch (const SettingsError&) {
            m_okError = std::current_exception();
        }
        accept();
    });
    // Escape rejects as well, which is this button's result.
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnDevice, &QPushButton::clicked, this, &TFormConfig::BtnDeviceClick);
    connect(cboCommPort, &QComboBox::currentIndexChanged, this, &TFormConfig::UpdateDeviceLabel);
    UpdateDeviceLabel();
}

QLabel* TFormConfig::makeLabel(const char* name, const char* text, int x, int y, int columnWidth)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(x, y, columnWidth - kLabelGap, kRowHeight);
    return label;
}

QComboBox* TFormConfig::makeList(const char* name, int x, int y, int width)
{
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    box->setEditable(false);
    box->setGeometry(x, y, width, kRowHeight);
    return box;
}

int TFormConfig::ShowModal()
{
    m_okError = nullptr;
    FormShow();
    const int result = exec();
    if (m_okError)
        std::rethrow_exception(std::exchange(m_okError, nullptr));
    return result;
}

void TFormConfig::FormShow()
{
    // A stored value of the wrong type shows its default, so that Ok can
    // put a good value in its place; start-up has told the operator.
    std::vector<std::string> problems;
    LoadLinkSettings(m_store, m_settings, &problems);
    fill(cboCommPort, LinkList::CommPort, m_settings.CommPort);
    fill(cboBaudRate, LinkList::BaudRate, m_settings.BaudRate);
    fill(cboParity, LinkList::Parity, m_settings.Parity);
    fill(cboDataBits, LinkList::DataBits, m_settings.DataBits);
    fill(cboStopBits, LinkList::StopBits, m_settings.StopBits);
}

LinkSettings TFormConfig::selections() const
{
    return {cboCommPort->currentIndex(), cboBaudRate->currentIndex(), cboParity->currentIndex(),
            cboDataBits->currentIndex(), cboStopBits->currentIndex()};
}

void TFormConfig::Button1Click()
{
    const LinkSettings chosen = selections();
    // The copy follows the lists only when the store could be opened.
    if (SaveLinkSettings(m_store, chosen))
        m_settings = chosen;
}

void TFormConfig::BtnDeviceClick()
{
    const QString comName = cboCommPort->currentText();
    if (comName.isEmpty())
        return;
    m_formDevices->ChooseFor(comName.toStdString());
    UpdateDeviceLabel();
}

void TFormConfig::UpdateDeviceLabel()
{
    const QString comName = cboCommPort->currentText();
    BtnDevice->setEnabled(!comName.isEmpty());
    setElidedText(lblDevice, deviceText(m_store, comName, m_formDevices->ScanOptions().user));
}

void TFormConfig::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* shown = screen())
        move(shown->availableGeometry().center() - rect().center());
}
