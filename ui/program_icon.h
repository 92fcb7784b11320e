// The program's icon, drawn in code: a controller module with its two
// activity lamps. Used as the about box's picture and as window icon.
#pragma once

class QIcon;
class QPixmap;

QPixmap makeProgramIconPixmap(int size);
QIcon makeProgramIcon();
