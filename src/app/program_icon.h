// The program's icon: a white knight on a dark square beside the light
// squares of a board corner, drawn with the board's built-in pieces, so the
// window, the About box and the installed icon show the same picture.
#pragma once

#include <QIcon>
#include <QImage>

namespace brevaro {

// The icon drawn at size x size pixels (size at least 16).
QImage ProgramIconImage(int size);
// The icon in the usual sizes (16 to 256 pixels).
QIcon ProgramIcon();

}  // namespace brevaro
