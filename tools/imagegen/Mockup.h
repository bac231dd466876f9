#pragma once
// The images assembled as the views place them (mixer, common detail, part detail),
// with stand-in displays; for the contact sheet only.
#include <QImage>
#include <QList>

namespace NS_ImageGen {

QList<QImage> mockups();

} // namespace NS_ImageGen
