#include "ImageWriter.h"
#include "Artwork.h"
#include "Mockup.h"
#include "PanelStyle.h"
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QSaveFile>
#include <QTextStream>

namespace NS_ImageGen {

using NS_Images::ImageOwner;
using NS_Images::ImageEntry;

namespace {

QString twinName(const QString& name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name + QLatin1String("@2x") : name.left(dot) + QLatin1String("@2x") + name.mid(dot);
}

bool writeText(const QString& path, const QByteArray& text, QString* error)
{
    // Unchanged files keep their time stamps, so the library is not rebuilt for nothing.
    QFile old(path);
    if (old.open(QIODevice::ReadOnly) && old.readAll() == text)
        return true;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        return false;
    }
    return true;
}

QByteArray resourceCollection(ImageOwner owner)
{
    QByteArray out;
    QTextStream s(&out);
    s << "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/tovar/" << NS_Images::ownerName(owner)
      << "\">\n";
    for (const ImageEntry& entry : NS_Images::kImageTable) {
        if (entry.owner != owner)
            continue;
        const QString name = QString::fromLatin1(entry.name);
        s << "  <file>" << name << "</file>\n";
        s << "  <file>" << twinName(name) << "</file>\n";
    }
    s << "</qresource>\n</RCC>\n";
    s.flush();
    return out;
}

QByteArray registrationSource(ImageOwner owner)
{
    const QString o = QString::fromLatin1(NS_Images::ownerName(owner));
    QByteArray out;
    QTextStream s(&out);
    s << "// Written by vantrel_imagegen from tools/imagegen/ImageTable.h: do not edit.\n"
      << "// Registers the " << o << " images by name while the library loads, and takes\n"
      << "// them out of the registry again when it unloads.\n"
      << "#include \"utilities/ImageRegistry.h\"\n"
      << "#include <QSize>\n"
      << "#include <QString>\n\n"
      << "// The resources register themselves on load as well; calling their initialiser\n"
      << "// here makes sure they are in place before the names that point at them.\n"
      << "static void vantrelImagesInit_" << o << "()\n{\n"
      << "    Q_INIT_RESOURCE(vantrel_images_" << o << ");\n}\n\n"
      << "namespace {\n\n"
      << "struct Row\n{\n    const char* name;\n    int width, height, rows, columns;\n};\n\n"
      << "const Row kRows[] = {\n";
    for (const ImageEntry& entry : NS_Images::kImageTable) {
        if (entry.owner != owner)
            continue;
        s << "    {\"" << entry.name << "\", " << entry.width << ", " << entry.height << ", " << entry.rows << ", "
          << entry.columns << "},\n";
    }
    s << "};\n\n"
      << "const char kPrefix[] = \"" << NS_Images::kResourceRoot << o << "/\";\n\n"
      << "struct Registration\n{\n"
      << "    Registration()\n    {\n"
      << "        vantrelImagesInit_" << o << "();\n"
      << "        const QString prefix = QString::fromLatin1(kPrefix);\n"
      << "        for (const Row& row : kRows)\n"
      << "            NS_Utilities::ImageRegistry::add(QString::fromLatin1(row.name),\n"
      << "                                             prefix + QString::fromLatin1(row.name),\n"
      << "                                             QSize(row.width, row.height), row.rows, row.columns);\n"
      << "    }\n"
      << "    ~Registration() { NS_Utilities::ImageRegistry::removeUnder(QString::fromLatin1(kPrefix)); }\n"
      << "};\n\n"
      << "const Registration registration;\n\n"
      << "} // namespace\n";
    s.flush();
    return out;
}

} // namespace

QStringList tableMismatches()
{
    QStringList out;
    const ArtworkMap& art = artwork();
    QSet<QString> listed;
    for (const ImageEntry& entry : NS_Images::kImageTable) {
        const QString name = QString::fromLatin1(entry.name);
        if (listed.contains(name))
            out << QStringLiteral("%1 is listed twice").arg(name);
        listed.insert(name);
        if (!art.contains(name))
            out << QStringLiteral("%1 has no painter").arg(name);
        if (entry.rows < 1 || entry.columns < 1 || entry.height % entry.rows || entry.width % entry.columns)
            out << QStringLiteral("%1: %2 x %3 does not divide into %4 rows and %5 columns")
                       .arg(name)
                       .arg(entry.width)
                       .arg(entry.height)
                       .arg(entry.rows)
                       .arg(entry.columns);
    }
    for (auto it = art.cbegin(); it != art.cend(); ++it)
        if (!listed.contains(it.key()))
            out << QStringLiteral("%1 is painted but not listed").arg(it.key());
    out.sort();
    return out;
}

QImage renderImage(const ImageEntry& entry, int ratio)
{
    QImage image(entry.width * ratio, entry.height * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    const auto painter = artwork().value(QString::fromLatin1(entry.name));
    if (!painter)
        return image;
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    const QSizeF frame(qreal(entry.width) / entry.columns, qreal(entry.height) / entry.rows);
    for (int row = 0; row < entry.rows; ++row) {
        for (int column = 0; column < entry.columns; ++column) {
            p.save();
            p.translate(column * frame.width(), row * frame.height());
            p.setClipRect(QRectF(QPointF(0, 0), frame));
            painter(p, frame, row, column);
            p.restore();
        }
    }
    p.end();
    if (entry.opaque)
        image = image.convertToFormat(QImage::Format_RGB32);
    return image;
}

bool writeOwner(ImageOwner owner, const QString& outDir, QString* error)
{
    if (!QDir().mkpath(outDir)) {
        *error = QStringLiteral("cannot make %1").arg(outDir);
        return false;
    }
    const QDir dir(outDir);
    for (const ImageEntry& entry : NS_Images::kImageTable) {
        if (entry.owner != owner)
            continue;
        const QString name = QString::fromLatin1(entry.name);
        for (int ratio : {1, 2}) {
            const QString path = dir.filePath(ratio == 1 ? name : twinName(name));
            if (!renderImage(entry, ratio).save(path, "PNG")) {
                *error = QStringLiteral("cannot write %1").arg(path);
                return false;
            }
        }
    }
    const QString o = QString::fromLatin1(NS_Images::ownerName(owner));
    return writeText(dir.filePath(QStringLiteral("images.qrc")), resourceCollection(owner), error)
           && writeText(dir.filePath(QStringLiteral("ImageRegistration_%1.cpp").arg(o)), registrationSource(owner),
                        error);
}

namespace {

// Multi-frame strips are laid out frame by frame from left to right, so every frame
// of a strip can be compared with its neighbours at a glance.
QImage filmOf(const ImageEntry& entry, int ratio)
{
    QImage strip = renderImage(entry, ratio);
    // Shown pixel for pixel: the twin at twice the size.
    strip.setDevicePixelRatio(1);
    if (entry.rows == 1)
        return strip;
    const int fw = entry.width / entry.columns * ratio, fh = entry.height / entry.rows * ratio;
    const int gap = 2 * ratio;
    QImage film((fw * entry.columns) * entry.rows + gap * (entry.rows - 1), fh, QImage::Format_ARGB32_Premultiplied);
    film.fill(Qt::transparent);
    QPainter p(&film);
    for (int row = 0; row < entry.rows; ++row)
        p.drawImage(QPoint(row * (fw * entry.columns + gap), 0), strip.copy(0, row * fh, fw * entry.columns, fh));
    return film;
}

struct Tile
{
    QImage image;
    QString caption;
};

} // namespace

QImage contactSheet()
{
    constexpr int kMargin = 16, kCaption = 16, kSpacing = 18;
    const QColor paper(0x7a, 0x7a, 0x7a);
    const QFont captionFont = legendFont(11, false);
    const QFont headingFont = legendFont(16, true);

    struct Section
    {
        QString heading;
        QList<Tile> tiles;
    };
    QList<Section> sections;
    for (ImageOwner owner : {ImageOwner::Widgets, ImageOwner::MainLayer, ImageOwner::CommonDetail,
                             ImageOwner::PartDetail, ImageOwner::Dialogs}) {
        Section section{QString::fromLatin1(NS_Images::ownerName(owner)), {}};
        for (const ImageEntry& entry : NS_Images::kImageTable) {
            if (entry.owner != owner)
                continue;
            const QString division = entry.rows > 1 ? QStringLiteral(", %1 frames").arg(entry.rows) : QString();
            const QString caption =
                QStringLiteral("%1  %2x%3%4").arg(QString::fromLatin1(entry.name)).arg(entry.width).arg(entry.height).arg(division);
            section.tiles.append({filmOf(entry, 1), caption});
            // Small pieces again at twice the size: the high-density twin.
            if (entry.width <= 64 && entry.height / entry.rows <= 70)
                section.tiles.append({filmOf(entry, 2), caption + QStringLiteral("  @2x")});
        }
        sections.append(section);
    }
    Section assembled{QStringLiteral("assembled as the views place them (not shipped)"), {}};
    for (const QImage& mock : mockups())
        assembled.tiles.append({mock, QString()});
    sections.append(assembled);

    int width = 1760;
    for (const Section& section : sections)
        for (const Tile& tile : section.tiles)
            width = qMax(width, int(tile.image.width() / tile.image.devicePixelRatio()) + 2 * kMargin);

    // Lay out once to find the height, then paint.
    auto layout = [&](QPainter* p) {
        int y = kMargin;
        for (const Section& section : sections) {
            if (p) {
                p->setFont(headingFont);
                p->setPen(Qt::white);
                p->drawText(QPoint(kMargin, y + 16), section.heading);
            }
            y += 26;
            int x = kMargin, rowHeight = 0;
            for (const Tile& tile : section.tiles) {
                const QSize logical = tile.image.size() / tile.image.devicePixelRatio();
                const int captionWidth = QFontMetrics(captionFont).horizontalAdvance(tile.caption);
                const int w = qMax(logical.width(), captionWidth), h = logical.height() + kCaption;
                if (x > kMargin && x + w > width - kMargin) {
                    x = kMargin;
                    y += rowHeight + kSpacing;
                    rowHeight = 0;
                }
                if (p) {
                    p->drawImage(QRect(QPoint(x, y), logical), tile.image);
                    p->setFont(captionFont);
                    p->setPen(QColor(0x10, 0x10, 0x10));
                    p->drawText(QPoint(x, y + logical.height() + 12), tile.caption);
                }
                x += w + kSpacing;
                rowHeight = qMax(rowHeight, h);
            }
            y += rowHeight + kSpacing + 8;
        }
        return y;
    };
    QImage sheet(width, layout(nullptr), QImage::Format_RGB32);
    sheet.fill(paper);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::TextAntialiasing);
    layout(&p);
    return sheet;
}

} // namespace NS_ImageGen
