// TAboutBox: layout of the dialog, the version line computed on every
// showing, and the lookup of the program file by its fixed name.
#include "about_box.h"

#include "components/kiv_url_label.h"
#include "ui/action_icons.h"
#include "version_info.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 339;
constexpr int kClientHeight = 267;
constexpr int kLinkWidth = 189;

const char* const kMailAddress = "support@orvane.example";
const char* const kWebAddress = "www.orvane.example";
const char* const kWebLink = "https://www.orvane.example/";

// The program's own directory first, as a library search would, then PATH.
QString locateProgramFile(const QString& name)
{
    if (name.isEmpty())
        return QString();
    if (QFileInfo(name).isAbsolute())
        return name;
    const QString besideProgram = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (QFileInfo(besideProgram).isFile())
        return besideProgram;
    return QStandardPaths::findExecutable(name);
}

QLabel* addLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

TKivURLLabel* addLink(QWidget* parent, const char* name, const QString& caption,
                      const QString& url, const QString& hint)
{
    auto* link = new TKivURLLabel(caption, parent);
    link->setObjectName(QString::fromLatin1(name));
    link->SetURL(url);
    link->setToolTip(hint);
    link->setFixedWidth(kLinkWidth);
    return link;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About..."));
    setWindowIcon(ProgramIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(kClientWidth, kClientHeight);
    setModal(true);

    auto* programIcon = addLabel(this, "ProgramIcon", QString());
    programIcon->setPixmap(ProgramIcon().pixmap(32, 32));
    programIcon->setFixedSize(32, 32);

    auto* productName = addLabel(this, "ProductName", QStringLiteral("Orvane"));
    QFont nameFont = productName->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.5);
    productName->setFont(nameFont);
    m_version = addLabel(this, "Version", QStringLiteral("Version "));

    auto* makerName = addLabel(this, "MakerName", QStringLiteral("Orvane PLC emulator"));
    auto* copyright =
        addLabel(this, "Copyright", QStringLiteral("Copyright 2025-2026 Orvane developers"));

    auto* mailCaption = addLabel(this, "Label1", QStringLiteral("EMAIL:"));
    auto* mail = addLink(this, "KivURLEmail", QString::fromLatin1(kMailAddress),
                         QStringLiteral("mailto:") + QString::fromLatin1(kMailAddress),
                         QStringLiteral("Write to us"));
    auto* webCaption = addLabel(this, "Label3", QStringLiteral("WEB:"));
    auto* web = addLink(this, "KivURLWeb", QString::fromLatin1(kWebAddress),
                        QString::fromLatin1(kWebLink), QStringLiteral("Visit our web site"));

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("OKButton"));
    m_okButton->setDefault(true);
    m_okButton->setAutoDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(4);
    titles->addWidget(productName);
    titles->addWidget(m_version);
    auto* header = new QHBoxLayout;
    header->setSpacing(16);
    header->addWidget(programIcon, 0, Qt::AlignTop);
    header->addLayout(titles, 1);

    auto* links = new QGridLayout;
    links->setHorizontalSpacing(12);
    links->setVerticalSpacing(6);
    links->addWidget(mailCaption, 0, 0);
    links->addWidget(mail, 0, 1, Qt::AlignLeft);
    links->addWidget(webCaption, 1, 0);
    links->addWidget(web, 1, 1, Qt::AlignLeft);
    links->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(6);
    layout->addLayout(header);
    layout->addStretch(2);
    layout->addWidget(makerName);
    layout->addWidget(copyright);
    layout->addStretch(2);
    layout->addLayout(links);
    layout->addStretch(3);
    layout->addWidget(bevel);
    layout->addSpacing(4);
    layout->addLayout(buttons);
}

void TAboutBox::SetProgramFileName(const QString& name)
{
    m_programFileName = name;
}

void TAboutBox::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

// The version line is read afresh on every showing; a program file that is
// missing or carries no record leaves "Version " alone.
void TAboutBox::FormShow()
{
    const QString file = locateProgramFile(m_programFileName);
    const QString fileVersion =
        file.isEmpty() ? QString() : VersionInfoString(file, QStringLiteral("FileVersion"));
    m_version->setText(QStringLiteral("Version ") + fileVersion);

    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

// Escape presses OK like Enter does, so the dialog always ends with OK.
void TAboutBox::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        m_okButton->click();
        return;
    }
    QDialog::keyPressEvent(e);
}
