#include "app/program_icon.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "board/piece_sets.h"

namespace brevaro {

QImage ProgramIconImage(int size) {
  size = std::max(size, 16);
  QImage image(size, size, QImage::Format_RGB32);
  const QColor light(0xf0, 0xd9, 0xb5), dark(0xb5, 0x88, 0x63);
  {
    QPainter p(&image);
    const int half = size / 2;
    p.fillRect(0, 0, size, size, light);
    p.fillRect(half, 0, size - half, half, dark);
    p.fillRect(0, half, half, size - half, dark);
  }
  // The knight fills the whole icon, over the squares.
  static const QImage strip = FigurensatzErzeugen(TFigurenset::WinboardF80);
  const int margin = size / 16;
  FigurZeichnen(image, QRect(margin, margin, size - 2 * margin, size - 2 * margin), strip, 4);
  return image;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
  return icon;
}

}  // namespace brevaro
