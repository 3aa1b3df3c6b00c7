#pragma once
// A small GIF89a writer: one frame, at most 256 colours (exact when the picture
// has that few, else the most frequent ones with nearest-colour mapping),
// mostly transparent pixels mapped to a transparent index, LZW-compressed.
#include <QByteArray>

class QImage;

namespace chartlib {

QByteArray encodeGif(const QImage &image);

} // namespace chartlib
