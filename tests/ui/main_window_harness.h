// The program's main window as the program builds it, on a settings store
// in a temporary INI file, for the window tests: the per-user port mapping
// written as the operator would, and the status bar's lamps read back as
// pixels.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "components/kiv_status_bar.h"
#include "ui/action_icons.h"
#include "ui/form_main.h"
#include "ui/form_value.h"
#include "ui/ini_settings_store.h"

class MainWindowHarness
{
public:
    MainWindowHarness() : m_store(m_dir.filePath(QStringLiteral("orvane.ini"))) {}
    ~MainWindowHarness() { Destroy(); }

    // Makes the window and its value editor; the about box and the settings
    // dialog are left out (their commands then do nothing).
    TFormMain& Create()
    {
        Destroy();
        m_window = std::make_unique<TFormMain>(m_store);
        m_valueEditor = new TFormValue(m_window.get());
        m_window->SetDialogs(m_valueEditor, nullptr, nullptr);
        return *m_window;
    }

    void Destroy() { m_window.reset(); m_valueEditor = nullptr; }

    // The text value "COMn" under the port mapping key names the device.
    void MapPort(const QString& comName, const std::string& device)
    {
        QSettings settings(m_store.FilePath(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Software/ORVANE/Ports/") + comName,
                          QString::fromStdString(device));
        settings.sync();
    }

    TFormMain& window() { return *m_window; }
    TFormValue& valueEditor() { return *m_valueEditor; }
    IniSettingsStore& store() { return m_store; }

private:
    QTemporaryDir m_dir;
    IniSettingsStore m_store;
    std::unique_ptr<TFormMain> m_window;
    TFormValue* m_valueEditor = nullptr;
};

// The centre pixels of the two lamps in the status bar as it paints now:
// the read lamp 5 pixels from the lamp panel's left edge, the write lamp 19
// pixels to the right of it, both 16 x 16 and 3 pixels below the top.
struct LampPixels
{
    QColor read;
    QColor write;
};

inline LampPixels PaintedLamps(TKivStatusBar& bar)
{
    const QImage image = bar.grab().toImage();
    const QRect panel = bar.PanelRect(2);
    const QPoint readCentre(panel.left() + 5 + 8, panel.top() + 3 + 8);
    return {image.pixelColor(readCentre), image.pixelColor(readCentre + QPoint(19, 0))};
}

// The lamp panel as the status bar paints it now.
inline QImage PaintedLampPanel(TKivStatusBar& bar)
{
    return bar.grab().toImage().copy(bar.PanelRect(2)).convertToFormat(QImage::Format_RGB32);
}

// The lamp panel as it should look: the bar's own colour, the read lamp's
// image at 5, 3 and the write lamp's at 24, 3.
inline QImage ExpectedLampPanel(TKivStatusBar& bar, bool read, bool write)
{
    const auto lamps = LampImages();
    QImage expected(bar.PanelRect(2).size(), QImage::Format_RGB32);
    expected.fill(bar.palette().window().color());
    QPainter painter(&expected);
    painter.drawPixmap(5, 3, lamps[read ? kLampReadLit : kLampReadDark]);
    painter.drawPixmap(24, 3, lamps[write ? kLampWriteLit : kLampWriteDark]);
    painter.end();
    return expected;
}

inline const QColor kReadLit(0, 255, 0);
inline const QColor kReadDark(0, 128, 0);
inline const QColor kWriteLit(255, 0, 0);
inline const QColor kWriteDark(128, 0, 0);
