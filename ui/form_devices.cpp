// The serial device chooser: a list over the device scan and three buttons
// that store, remove or keep the port's mapping.
#include "ui/form_devices.h"

#include "serial/device_names.h"
#include "serial/port_mapping.h"
#include "serial/settings_store.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { kNameColumn, kPathColumn, kNoteColumn, kColumnCount };

QString text(const std::string& value)
{
    return QString::fromStdString(value);
}

// What the note column says: where a link leads, why it cannot be opened,
// anything else known.
QString noteOf(const SerialDevice& device)
{
    QStringList parts;
    if (!device.tty.empty() && device.problem.find(device.tty) == std::string::npos)
        parts << QStringLiteral("leads to ") + text(device.tty);
    if (!device.problem.empty())
        parts << text(device.problem);
    if (!device.note.empty())
        parts << text(device.note);
    return parts.join(QStringLiteral("; "));
}

} // namespace

TFormDevices::TFormDevices(SettingsStore& store, QWidget* parent)
    : QDialog(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("FormDevices"));
    setWindowTitle(QStringLiteral("Serial device"));

    lblPort = new QLabel(this);
    lblPort->setObjectName(QStringLiteral("lblPort"));
    lblPort->setWordWrap(true);

    lstDevices = new QTreeWidget(this);
    lstDevices->setObjectName(QStringLiteral("lstDevices"));
    lstDevices->setColumnCount(kColumnCount);
    lstDevices->setHeaderLabels({QStringLiteral("Device"), QStringLiteral("Path"), QStringLiteral("Note")});
    lstDevices->setRootIsDecorated(false);
    lstDevices->setUniformRowHeights(true);
    lstDevices->setSelectionMode(QAbstractItemView::SingleSelection);
    lstDevices->header()->setStretchLastSection(true);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnDefault = new QPushButton(QStringLiteral("&Default"), this);
    BtnDefault->setObjectName(QStringLiteral("BtnDefault"));
    BtnDefault->setToolTip(QStringLiteral("Open the port's own device again"));
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnDefault);
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPort);
    layout->addWidget(lstDevices);
    layout->addLayout(buttons);
    resize(720, 320);

    connect(lstDevices, &QTreeWidget::itemSelectionChanged, this,
            [this] { BtnOK->setEnabled(selectedDevice() != nullptr); });
    connect(lstDevices, &QTreeWidget::itemActivated, this, [this] { BtnOKClick(); });
    connect(BtnOK, &QPushButton::clicked, this, &TFormDevices::BtnOKClick);
    connect(BtnDefault, &QPushButton::clicked, this, &TFormDevices::BtnDefaultClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TFormDevices::ChooseFor(const std::string& comName)
{
    FormShow(comName);
    return exec();
}

void TFormDevices::FormShow(const std::string& comName)
{
    m_comName = comName;
    m_devices = ListSerialDevices(m_scanOptions);
    const auto mapped = ReadPortMapping(m_store, comName);
    const QString now = mapped ? text(*mapped) : text(DefaultDevicePath(comName)) + QStringLiteral(", its own");
    lblPort->setText(QStringLiteral("Device that %1 opens (now %2):").arg(text(comName), now));

    lstDevices->clear();
    QTreeWidgetItem* current = nullptr;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        const SerialDevice& device = m_devices[i];
        auto* item = new QTreeWidgetItem(lstDevices);
        item->setText(kNameColumn, text(device.name));
        item->setText(kPathColumn, device.kind == SerialDeviceKind::Virtual ? QString() : text(device.path));
        item->setText(kNoteColumn, noteOf(device));
        item->setData(kNameColumn, Qt::UserRole, static_cast<qulonglong>(i));
        for (int column = 0; column < kColumnCount; ++column)
            item->setToolTip(column, item->text(kPathColumn).isEmpty()
                                         ? item->text(kNoteColumn)
                                         : item->text(kPathColumn) + QLatin1Char('\n') + item->text(kNoteColumn));
        if (!device.problem.empty())
            item->setForeground(kNoteColumn, palette().brush(QPalette::Disabled, QPalette::Text));
        // A tty mapped by hand marks the by-id link that leads to it.
        if (mapped && (device.path == *mapped || (!current && device.tty == *mapped)))
            current = item;
    }
    for (int column = 0; column < kNoteColumn; ++column)
        lstDevices->resizeColumnToContents(column);
    lstDevices->setCurrentItem(current);
    if (!current)
        lstDevices->clearSelection();
    BtnOK->setEnabled(current != nullptr);
}

const SerialDevice* TFormDevices::selectedDevice() const
{
    const auto items = lstDevices->selectedItems();
    if (items.isEmpty())
        return nullptr;
    const auto index = items.front()->data(kNameColumn, Qt::UserRole).toULongLong();
    return index < m_devices.size() ? &m_devices[index] : nullptr;
}

template <typename Change>
bool TFormDevices::changeStore(const char* what, Change change)
{
    try {
        change();
        return true;
    } catch (const SettingsError& error) {
        QMessageBox::warning(this, QStringLiteral("Warning..."),
                             QStringLiteral("Cannot %1 of %2:\n%3")
                                 .arg(QLatin1String(what), text(m_comName), QString::fromUtf8(error.what())));
        return false;
    }
}

void TFormDevices::BtnOKClick()
{
    const SerialDevice* device = selectedDevice();
    if (!device)
        return;
    const std::string path = device->path;
    if (changeStore("store the device", [&] { WritePortMapping(m_store, m_comName, path); }))
        accept();
}

void TFormDevices::BtnDefaultClick()
{
    if (changeStore("remove the device", [&] { RemovePortMapping(m_store, m_comName); }))
        accept();
}
