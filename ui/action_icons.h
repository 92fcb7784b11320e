// The program's artwork, drawn at run time so that no image files need to
// ship: the twelve 16 x 16 icons of the main image list, the window icon,
// and the four activity lamps of the status bar.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <array>
#include <vector>

// Indices into the main image list.
enum MainImageIndex : int {
    kImageModify = 0,
    kImageClear = 1,
    kImageRun = 2,
    kImageStop = 3,
    kImageExit = 4,
    kImageAbout = 5,
    kImageConfigure = 6,
    kImageDefault = 7,
    kImageDataBlock = 8,
    kImageSerialPort = 9,
    kImageHelp = 10,
    kImagePlc = 11,
    kMainImageCount = 12,
};

// Indices into the lamp images.
enum LampImageIndex : int {
    kLampReadLit = 0,   // RGB 0, 255, 0
    kLampReadDark = 1,  // RGB 0, 128, 0
    kLampWriteLit = 2,  // RGB 255, 0, 0
    kLampWriteDark = 3, // RGB 128, 0, 0
    kLampCount = 4,
};

// One image of the main list at size x size pixels (16 for the list); a
// null pixmap for an index outside the list.
QPixmap MainImage(int index, int size = 16);
// The twelve icons, each holding its image at 16 and 32 pixels.
std::vector<QIcon> MainImageList();
// The window icon at 16, 24, 32, 48 and 64 pixels.
QIcon ProgramIcon();
// Round lamps, 16 x 16, on a transparent background.
std::array<QPixmap, kLampCount> LampImages();
