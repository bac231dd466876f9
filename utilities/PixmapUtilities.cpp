#include "PixmapUtilities.h"
#include "ImageRegistry.h"

#include <QColor>
#include <QLabel>
#include <QPainter>
#include <QPoint>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>
#include <algorithm>

namespace NS_Utilities {

const char* const kDisabledCoverName = "1976_disabled_widget_name_1965";

namespace {

// Pixels are edited unpremultiplied, so that transparent edges keep their colour.
QImage editableImage(const QPixmap& pixmap)
{
    QImage image = pixmap.toImage();
    if (image.depth() == 32 && image.format() != QImage::Format_ARGB32
        && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    return image;
}

int clampByte(int v)
{
    return std::clamp(v, 0, 255);
}

} // namespace

QImage applyGreyTransformation(const QPixmap& pixmap)
{
    QImage image = editableImage(pixmap);
    if (image.isNull() || image.depth() != 32)
        return image;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int c = std::max(50, (56 * qRed(p) + 33 * qGreen(p) + 11 * qBlue(p)) / 100);
            line[x] = qRgba(c, c, c, qAlpha(p));
        }
    }
    return image;
}

void createDisabledImage(QWidget* widget, QPixmap* out)
{
    if (!widget || !out)
        return;
    QImage image = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            int h = 0, s = 0, v = 0;
            QColor(line[x]).getHsv(&h, &s, &v);
            s = clampByte(s - int(s * 0.85));
            v = clampByte(v + int((255 - v) * 0.65));
            QColor faded = QColor::fromHsv(h, s, v);
            faded.setAlpha(255);
            line[x] = faded.rgba();
        }
    }
    *out = QPixmap::fromImage(image);
    out->setDevicePixelRatio(image.devicePixelRatio());
}

QImage applyFocusHilite(const QColor& color, const QPixmap& pixmap)
{
    if (color == QColor(Qt::black)) {
        QPixmap copy = pixmap.copy();
        if (copy.isNull())
            return QImage();
        QPainter painter(&copy);
        const QSize size = copy.deviceIndependentSize().toSize();
        painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
        painter.setPen(QColor(60, 60, 60));
        painter.drawRect(1, 1, size.width() - 3, size.height() - 3);
        painter.end();
        return copy.toImage();
    }
    QImage image = editableImage(pixmap);
    if (image.isNull() || image.depth() != 32)
        return image;
    int hue = 0, s0 = 0, unused = 0;
    color.getHsv(&hue, &s0, &unused);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            int h = 0, s = 0, v = 0;
            const QRgb p = line[x];
            QColor(p).getHsv(&h, &s, &v);
            QColor marked = QColor::fromHsv(std::max(hue, 0), clampByte(s0 + (255 - s0) * s / 255), v);
            marked.setAlpha(qAlpha(p));
            line[x] = marked.rgba();
        }
    }
    return image;
}

void drawPartialPixmap(QPainter& painter, const QPoint& cell, const QPixmap& pixmap,
                       const QSize& grid, const QPoint* at)
{
    // Frame counts come from images and forms: an empty grid draws nothing rather
    // than dividing by zero.
    if (pixmap.width() <= 0 || grid.width() <= 0 || grid.height() <= 0)
        return;
    if (cell.y() < 0 || cell.y() >= grid.height() || cell.x() < 0 || cell.x() >= grid.width())
        return;
    // Cells are cut in device pixels; a high-density twin is drawn at its logical size.
    const int w = pixmap.width() / grid.width();
    const int h = pixmap.height() / grid.height();
    if (w <= 0 || h <= 0)
        return;
    const qreal ratio = pixmap.devicePixelRatio() > 0 ? pixmap.devicePixelRatio() : 1.0;
    const QPointF to = at ? QPointF(*at) : QPointF(0, 0);
    painter.drawPixmap(QRectF(to, QSizeF(w / ratio, h / ratio)), pixmap,
                       QRectF(cell.x() * w, cell.y() * h, w, h));
}

QPixmap loadPixmap(const QString& name)
{
    QPixmap found = ImageRegistry::pixmap(name);
    if (found.isNull() && !name.isEmpty())
        found.load(QStringLiteral("./images/") + name);
    return found;
}

void hideShowWidgets(bool hide, QWidget* widget, bool remove)
{
    if (!widget)
        return;
    const QString coverName = QString::fromLatin1(kDisabledCoverName);
    auto* cover = widget->findChild<QLabel*>(coverName, Qt::FindDirectChildrenOnly);
    if (cover && remove) {
        delete cover;
        cover = nullptr;
    }
    if (remove) {
        if (hide)
            widget->deleteLater();
        else
            widget->show();
        return;
    }
    const QList<QWidget*> others = widget->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    if (hide) {
        if (!cover) {
            cover = new QLabel(widget);
            cover->setObjectName(coverName);
            cover->hide();
        }
        if (!cover->isVisible()) {
            // The faded look is taken before the cover exists on screen.
            QPixmap faded;
            createDisabledImage(widget, &faded);
            cover->setPixmap(faded);
            cover->setGeometry(widget->rect());
            cover->show();
            cover->raise();
        }
        for (QWidget* child : others)
            if (child != cover)
                child->hide();
    } else {
        if (cover)
            cover->hide();
        for (QWidget* child : others)
            if (child != cover)
                child->show();
    }
}

} // namespace NS_Utilities
