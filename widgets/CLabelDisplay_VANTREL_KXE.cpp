#include "widgets/CLabelDisplay_VANTREL_KXE.h"
#include "utilities/CNumEdit_VANTREL_KXE.h"
#include "utilities/PixmapUtilities.h"
#include "utilities/ThreadUtilities.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {
const QColor kDisabledFill(52, 54, 63);
const QColor kGreyText(128, 128, 128);

// The colour with the focus colour's hue and a saturation pulled towards it.
QColor towardsFocus(const QColor& own, const QColor& focus)
{
    int fh = 0, fs = 0, fv = 0, h = 0, s = 0, v = 0;
    focus.getHsv(&fh, &fs, &fv);
    own.getHsv(&h, &s, &v);
    return QColor::fromHsv(std::max(fh, 0), fs + (255 - fs) * s / 255, v, own.alpha());
}
} // namespace

CLabelDisplay_VANTREL_KXE::CLabelDisplay_VANTREL_KXE(QWidget* parent, const char* name)
    : QLabel(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setAlignment(alignment() | Qt::AlignHCenter);
    setFocusPolicy(Qt::TabFocus);
    setTextFormat(Qt::PlainText);
}

CLabelDisplay_VANTREL_KXE::~CLabelDisplay_VANTREL_KXE() = default;

QString CLabelDisplay_VANTREL_KXE::storedText(int slot) const
{
    return slot == 0 || slot == 1 ? m_texts[slot] : QString();
}

void CLabelDisplay_VANTREL_KXE::setEditable(bool on) { m_editable = on; }
void CLabelDisplay_VANTREL_KXE::setEditFormat(const QString& format) { m_editFormat = format; }

void CLabelDisplay_VANTREL_KXE::setcombinedImage(const QPixmap& image)
{
    m_combinedImage = image;
    updateErasePixmap();
}

void CLabelDisplay_VANTREL_KXE::setInverseColorOnFocus(bool on)
{
    m_inverseColorOnFocus = on;
    updateErasePixmap();
}

void CLabelDisplay_VANTREL_KXE::setGreyOnDisable(bool on)
{
    m_greyOnDisable = on;
    updateErasePixmap();
}

void CLabelDisplay_VANTREL_KXE::setFocusColor(const QColor& color)
{
    m_focusColor = color;
    setFocusPolicy(Qt::StrongFocus);
    updateErasePixmap();
}

void CLabelDisplay_VANTREL_KXE::setnSubImages(int n)
{
    m_subImages = n;
    updateErasePixmap();
}

void CLabelDisplay_VANTREL_KXE::setFont(const QFont& font)
{
    QLabel::setFont(font);
    updateErasePixmap();
    repaint();
}

// ---- texts

void CLabelDisplay_VANTREL_KXE::setText(const QString& text)
{
    const int slot = m_altDepth > 0 ? 1 : 0;
    if (m_textSet && m_texts[slot] == text)
        return;
    m_textSet = true;
    m_texts[slot] = text;
    QLabel::setText(text);
    updateErasePixmap();
}

void CLabelDisplay_VANTREL_KXE::setTextNoUnit(const QString& text)
{
    setText(text.left(std::max<qsizetype>(0, text.size() - 2)));
}

void CLabelDisplay_VANTREL_KXE::altDisplayBegin()
{
    if (!NS_Utilities::mainThreadRunning())
        return;
    ++m_altDepth;
    // The last alternative text is shown again, also when it is the one stored.
    m_textSet = true;
    QLabel::setText(m_texts[1]);
    updateErasePixmap();
}

void CLabelDisplay_VANTREL_KXE::altDisplayEnd()
{
    // Ends already on their way are not counted twice, so the depth never goes
    // below 0 however many ends arrive.
    if (!NS_Utilities::mainThreadRunning() || m_altDepth - m_pendingEnds <= 0)
        return;
    ++m_pendingEnds;
    QTimer::singleShot(kAltDisplayEndMs, this, &CLabelDisplay_VANTREL_KXE::handle_altDisplayEnd);
}

void CLabelDisplay_VANTREL_KXE::handle_altDisplayEnd()
{
    if (m_pendingEnds > 0)
        --m_pendingEnds;
    if (m_altDepth <= 0)
        return;
    --m_altDepth;
    const int slot = m_altDepth > 0 ? 1 : 0;
    const QString former = m_texts[slot];
    m_texts[slot] = QString();
    setText(former);
}

// ---- typed entry

void CLabelDisplay_VANTREL_KXE::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!m_editable) {
        QLabel::mouseDoubleClickEvent(event);
        return;
    }
    if (!m_numEdit) {
        m_numEdit = new NS_Utilities::CNumEdit_VANTREL_KXE(this);
        connect(m_numEdit, &NS_Utilities::CNumEdit_VANTREL_KXE::numberProposed, this,
                &CLabelDisplay_VANTREL_KXE::acceptNum);
    }
    const QByteArray format = m_editFormat.isEmpty() ? QByteArray("%.1f") : m_editFormat.toLatin1();
    m_numEdit->doEdit(text(), format.constData());
    event->accept();
}

void CLabelDisplay_VANTREL_KXE::acceptNum(double number)
{
    setFocus(Qt::OtherFocusReason);
    emit valueChanged(number);
}

// ---- look

void CLabelDisplay_VANTREL_KXE::paintLook(QPainter& painter)
{
    const QRect all = rect();
    QColor foreground = palette().color(foregroundRole());
    QColor background = palette().color(backgroundRole());
    painter.setFont(font());
    if (m_focusColor.isValid() && hasFocus()) {
        if (m_inverseColorOnFocus) {
            foreground = background;
            background = m_focusColor;
        } else {
            foreground = towardsFocus(foreground, m_focusColor);
            background = towardsFocus(background, m_focusColor);
        }
        const QPixmap own = pixmap();
        if (!own.isNull())
            painter.drawImage(QPointF(0, 0), NS_Utilities::applyFocusHilite(m_focusColor, own));
        else
            painter.fillRect(all, background);
        painter.setPen(foreground);
        painter.drawText(contentsRect(), int(alignment()), text());
        return;
    }
    const bool enabled = isEnabled();
    if (m_combinedImage.isNull() || m_subImages < 1 || (!enabled && m_subImages < 2)) {
        painter.fillRect(all, enabled ? background : kDisabledFill);
    } else {
        const int row = enabled ? 0 : m_subImages - 1;
        NS_Utilities::drawPartialPixmap(painter, QPoint(0, row), m_combinedImage, QSize(1, m_subImages));
    }
    if (enabled) {
        painter.setPen(foreground);
        painter.drawText(contentsRect(), int(alignment()), text());
    } else if (m_greyOnDisable) {
        painter.setPen(kGreyText);
        painter.drawText(contentsRect(), int(alignment()), text());
    }
}

void CLabelDisplay_VANTREL_KXE::updateErasePixmap()
{
    const qreal ratio = devicePixelRatioF();
    QPixmap look(size() * ratio);
    look.setDevicePixelRatio(ratio);
    look.fill(Qt::transparent);
    {
        QPainter painter(&look);
        paintLook(painter);
    }
    m_look = look;
    update();
}

void CLabelDisplay_VANTREL_KXE::paintEvent(QPaintEvent*)
{
    if (m_look.deviceIndependentSize().toSize() != size())
        updateErasePixmap();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_look);
}

void CLabelDisplay_VANTREL_KXE::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    updateErasePixmap();
}

void CLabelDisplay_VANTREL_KXE::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        updateErasePixmap();
    // Window activation does not change the label's look.
}

void CLabelDisplay_VANTREL_KXE::focusInEvent(QFocusEvent* event)
{
    QLabel::focusInEvent(event);
    if (m_focusColor.isValid())
        updateErasePixmap();
}

void CLabelDisplay_VANTREL_KXE::focusOutEvent(QFocusEvent* event)
{
    QLabel::focusOutEvent(event);
    if (m_focusColor.isValid())
        updateErasePixmap();
}
