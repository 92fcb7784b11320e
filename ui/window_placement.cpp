// Placement record packing and its application to Qt windows. The record
// is stored little-endian whatever the host, so that the value means the
// same on every machine that reads it.
#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdint>

#include "serial/settings_keys.h"
#include "serial/settings_store.h"

namespace {

constexpr int kFieldCount = 11;
// A window must show at least this much of itself on a screen to be left
// where it is; less cannot be grabbed by its title bar.
constexpr int kMinVisibleWidth = 48;
constexpr int kMinVisibleHeight = 24;
// Largest size a restored window is given: QWidget's own limit.
constexpr int64_t kMaxExtent = QWIDGETSIZE_MAX;

std::array<int32_t*, kFieldCount> Fields(WindowPlacement& p)
{
    return {&p.length, &p.flags, &p.showCmd, &p.minX, &p.minY, &p.maxX,
            &p.maxY,   &p.left,  &p.top,     &p.right, &p.bottom};
}

void PutLe32(std::vector<uint8_t>& out, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(bits >> shift));
}

int32_t GetLe32(const uint8_t* in)
{
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = (bits << 8) | in[i];
    return static_cast<int32_t>(bits);
}

bool ShowsEnough(const QRect& rect)
{
    const int needWidth = std::min(rect.width(), kMinVisibleWidth);
    const int needHeight = std::min(rect.height(), kMinVisibleHeight);
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect seen = rect.intersected(screen->availableGeometry());
        if (seen.width() >= needWidth && seen.height() >= needHeight)
            return true;
    }
    return false;
}

void Centre(QWidget& window, QSize size)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(size);
        return;
    }
    const QRect area = screen->availableGeometry();
    size = size.boundedTo(area.size());
    QRect rect(QPoint(0, 0), size);
    rect.moveCenter(area.center());
    window.setGeometry(rect);
}

} // namespace

std::vector<uint8_t> PackWindowPlacement(const WindowPlacement& placement)
{
    WindowPlacement copy = placement;
    std::vector<uint8_t> bytes;
    bytes.reserve(WindowPlacement::kSize);
    for (const int32_t* field : Fields(copy))
        PutLe32(bytes, *field);
    return bytes;
}

std::optional<WindowPlacement> UnpackWindowPlacement(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() != static_cast<size_t>(WindowPlacement::kSize))
        return std::nullopt;
    WindowPlacement placement;
    const uint8_t* in = bytes.data();
    for (int32_t* field : Fields(placement)) {
        *field = GetLe32(in);
        in += 4;
    }
    return placement;
}

WindowPlacement GetWindowPlacement(const QWidget& window)
{
    WindowPlacement placement;
    const QRect normal = window.normalGeometry().isValid() ? window.normalGeometry()
                                                           : window.geometry();
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    if (window.isMinimized())
        placement.showCmd = WindowPlacement::kShowMinimized;
    else if (window.isMaximized())
        placement.showCmd = WindowPlacement::kShowMaximized;
    else
        placement.showCmd = WindowPlacement::kShowNormal;
    return placement;
}

void ApplyWindowPlacement(const WindowPlacement& placement, QWidget& window)
{
    // 64-bit arithmetic: a damaged record may hold any 32-bit values.
    const int64_t width = int64_t{placement.right} - placement.left;
    const int64_t height = int64_t{placement.bottom} - placement.top;
    const bool usableSize = width > 0 && height > 0 && width <= kMaxExtent && height <= kMaxExtent;
    if (!usableSize) {
        Centre(window, window.size());
    } else {
        const QSize size(static_cast<int>(width), static_cast<int>(height));
        // So far out that the far edges leave the range of int: off every screen.
        const bool representable = int64_t{placement.left} + width <= INT32_MAX
                                   && int64_t{placement.top} + height <= INT32_MAX;
        const QRect rect = representable ? QRect(QPoint(placement.left, placement.top), size) : QRect();
        if (representable && ShowsEnough(rect))
            window.setGeometry(rect);
        else
            Centre(window, size);
    }

    Qt::WindowStates state = window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (placement.showCmd == WindowPlacement::kShowMaximized)
        state |= Qt::WindowMaximized;
    window.setWindowState(state);
}

QString ExeBaseName(const QString& programPath)
{
    const qsizetype slash = std::max(programPath.lastIndexOf(u'/'), programPath.lastIndexOf(u'\\'));
    const QString name = programPath.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return name;
    return name.left(dot);
}

void RestoreWindowPlacement(SettingsStore& store, const QString& exeBaseName, QWidget& window)
{
    if (exeBaseName.isEmpty())
        return;
    try {
        const std::unique_ptr<SettingsKey> key =
            store.OpenKey(settings_keys::WindowPlacementKey(exeBaseName.toStdString()), false);
        if (!key)
            return;
        const std::optional<std::vector<uint8_t>> bytes =
            key->ReadBinary(settings_keys::kWindowPlacement);
        if (!bytes)
            return;
        std::optional<WindowPlacement> placement = UnpackWindowPlacement(*bytes);
        if (!placement)
            return;
        if (placement->showCmd == WindowPlacement::kShowMinimized)
            placement->showCmd = WindowPlacement::kShowNormal;
        ApplyWindowPlacement(*placement, window);
    } catch (const SettingsError&) {
        // An unreadable store is treated like a missing placement.
    }
}

void SaveWindowPlacement(SettingsStore& store, const QString& exeBaseName, QWidget& window)
{
    if (exeBaseName.isEmpty())
        return;
    try {
        const std::unique_ptr<SettingsKey> key =
            store.OpenKey(settings_keys::WindowPlacementKey(exeBaseName.toStdString()), true);
        if (!key)
            return;
        key->WriteBinary(settings_keys::kWindowPlacement, PackWindowPlacement(GetWindowPlacement(window)));
    } catch (const SettingsError&) {
        // Not saving the placement is not worth a message at closing time.
    }
}
