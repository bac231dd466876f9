#pragma once
// Pieces of the control strips that the view backgrounds reuse.
#include <QSizeF>
#include <QString>

class QPainter;

namespace NS_ImageGen {

inline constexpr int kKnobFrames = 29;
inline constexpr qreal kKnobSweep = 270.0;

// Pointer angle of a dial frame in degrees, clockwise from twelve o'clock.
qreal knobAngle(int row);

enum class KeyLook { Unlit, Lit, Pressed, Blink, LitDisabled, Disabled };

// A small legend key filling the frame.
void paintKey(QPainter& p, const QSizeF& frame, KeyLook look, const QString& text);
void paintArrowCursor(QPainter& p, bool up);

} // namespace NS_ImageGen
