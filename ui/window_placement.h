// The main window's placement between runs: the 44-byte placement record
// (eleven little-endian 32-bit integers) kept as the binary value
// "WindowPlacement" under "SOFTWARE\<program base name>\UI", and its
// exchange with a top-level QWidget.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class QWidget;
class SettingsStore;

struct WindowPlacement
{
    static constexpr int32_t kSize = 44;
    static constexpr int32_t kShowNormal = 1;
    static constexpr int32_t kShowMinimized = 2;
    static constexpr int32_t kShowMaximized = 3;

    int32_t length = kSize;
    int32_t flags = 0;
    int32_t showCmd = kShowNormal;
    int32_t minX = -1;
    int32_t minY = -1;
    int32_t maxX = -1;
    int32_t maxY = -1;
    // The normal (restored) rectangle; right and bottom lie just outside it.
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool operator==(const WindowPlacement&) const = default;
};

std::vector<uint8_t> PackWindowPlacement(const WindowPlacement& placement);
// Empty unless bytes holds exactly 44 bytes.
std::optional<WindowPlacement> UnpackWindowPlacement(const std::vector<uint8_t>& bytes);

// The widget's normal geometry and its state (normal, minimised, maximised).
WindowPlacement GetWindowPlacement(const QWidget& window);
// Gives the widget the record's normal rectangle and state. Minimised, and
// any state other than maximised, opens normal. A rectangle that shows too
// little of itself on every screen, or has no area, is not used as it
// stands: the window keeps (or, for a usable size, takes) its size and is
// centred on the primary screen.
void ApplyWindowPlacement(const WindowPlacement& placement, QWidget& window);

// The program file's name after its last "/" (or "\") and before its last
// ".". A name without a "." is taken whole, and so is a name whose only "."
// is its first character (".orvane" stays ".orvane": a leading dot marks a
// hidden file, not an extension). Empty only for an empty file name.
QString ExeBaseName(const QString& programPath);

// Open the key without creating it; only a value of exactly 44 bytes is
// applied. Missing key, missing value, other size and store errors leave
// the window as it is, unreported. Nothing is done for an empty base name.
void RestoreWindowPlacement(SettingsStore& store, const QString& exeBaseName, QWidget& window);
// Open the key, creating it; write the window's current record. A key that
// cannot be opened or written is not reported.
void SaveWindowPlacement(SettingsStore& store, const QString& exeBaseName, QWidget& window);
