#pragma once
// The painters of the images, by name. A painter draws one frame (one row of one
// column) in logical pixels with the origin at the frame's top-left corner; the
// caller clips to the frame and scales for the device pixel ratio.
#include <QHash>
#include <QSizeF>
#include <QString>
#include <functional>

class QPainter;

namespace NS_ImageGen {

using FramePainter = std::function<void(QPainter& p, const QSizeF& frame, int row, int column)>;
using ArtworkMap = QHash<QString, FramePainter>;

void addControlArt(ArtworkMap& art);
void addMixerArt(ArtworkMap& art);
void addDetailArt(ArtworkMap& art);
void addIconArt(ArtworkMap& art);

// Every painter, built once.
const ArtworkMap& artwork();

} // namespace NS_ImageGen
