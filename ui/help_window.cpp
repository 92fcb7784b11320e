// Help viewer. The file is read up front so that a missing or unreadable
// file gives a message rather than an empty page.
#include "ui/help_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {
constexpr const char* kHelpFileName = "ORVANE.hlp";
constexpr const char* kContentsAnchor = "contents";
// A help file is a few dozen kilobytes; anything far larger is not ours.
constexpr qint64 kMaxHelpFileSize = 16 * 1024 * 1024;
} // namespace

QString HelpFilePath(const QString& programDir)
{
    const QString beside = programDir + u'/' + QLatin1String(kHelpFileName);
    const QString installed =
        programDir + QStringLiteral("/" ORVANE_DATA_FROM_BIN "/") + QLatin1String(kHelpFileName);
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
    return beside;
}

QString HelpFilePath()
{
    return HelpFilePath(QCoreApplication::applicationDirPath());
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Orvane Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 520);
}

QString HelpWindow::ShowContents(const QString& helpFile)
{
    const QFileInfo info(helpFile);
    if (!info.exists() || !info.isFile())
        return QStringLiteral("The help file \"%1\" was not found.").arg(QDir::toNativeSeparators(helpFile));
    if (info.size() > kMaxHelpFileSize)
        return QStringLiteral("The help file \"%1\" is not a help file of this program.")
            .arg(QDir::toNativeSeparators(helpFile));
    QFile file(helpFile);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The help file \"%1\" cannot be read: %2")
            .arg(QDir::toNativeSeparators(helpFile), file.errorString());
    const QString html = QString::fromUtf8(file.readAll());
    file.close();

    // The base URL lets the document's own links and anchors resolve.
    m_browser->document()->setBaseUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
    m_browser->setHtml(html);
    m_browser->scrollToAnchor(QLatin1String(kContentsAnchor));
    show();
    raise();
    activateWindow();
    return QString();
}
