#pragma once
// Renders the table's images and writes what a library needs to embed them.
#include "ImageTable.h"
#include <QImage>
#include <QString>
#include <QStringList>

namespace NS_ImageGen {

// Names that the table lists without a painter, or painters the table does not list.
QStringList tableMismatches();

// One image at a device pixel ratio (1 or 2): every frame painted into its cell.
QImage renderImage(const NS_Images::ImageEntry& entry, int ratio);

// Writes every image of the owner at 1x and "@2x", the resource collection file
// "images.qrc" and "ImageRegistration_<owner>.cpp" into outDir. False with a message
// on failure.
bool writeOwner(NS_Images::ImageOwner owner, const QString& outDir, QString* error);

// Every image, grouped by owner and labelled with its name, size and frame division.
QImage contactSheet();

} // namespace NS_ImageGen
