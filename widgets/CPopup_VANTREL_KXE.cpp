#include "widgets/CPopup_VANTREL_KXE.h"
#include "memapi/TMemSilentHelper.h"
#include "utilities/IConfirmUserAction.h"
#include "utilities/ThreadUtilities.h"
#include "widgets/CPopupItem_VANTREL_KXE.h"
#include "widgets/TBoundControlSupport.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionFocusRect>
#include <algorithm>

namespace {
const QColor kGreyText(128, 128, 128);
const QString kDisabledText = QStringLiteral("---");

QStringList splitList(const QString& text)
{
    return text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

// The focus colour's hue over a colour, keeping its brightness.
QColor focusBlend(const QColor& focus, const QColor& own)
{
    const int fs = focus.hsvSaturation();
    const int s = fs + (255 - fs) * own.hsvSaturation() / 255;
    return QColor::fromHsv(focus.hsvHue(), s, own.value(), own.alpha());
}
} // namespace

struct CPopup_VANTREL_KXE::CPopup_PD
{
    QPointer<CPopupItem_VANTREL_KXE> window;
    QStringList labels;
    QColor buttonTextColor{165, 207, 211};
    std::unique_ptr<std::vector<int>> mappings;
    int columnsCount = 12;
    QSize labelSize{37, 16};
    int cellMargin = 3;
    int cellSpacing = 1;
    int tableId = 0;
    int currentSelection = -1;
    unsigned int refCon = 0;
    QColor focusColor;
    bool enableFocusRect = false;
    NS_Utilities::IConfirmUserAction* confirm = nullptr;
    Qt::Alignment alignment = Qt::AlignCenter;
    int valueOffset = 0;
    bool grouping = true;
    bool labelSizeToContents = false;
    int groupMatchCnt = 1;
    QString groupOverride;
    std::vector<unsigned short> groupSizes;
    bool greyOnDisable = false;
    bool sorted = false;
};

CPopup_VANTREL_KXE::CPopup_VANTREL_KXE(QWidget* parent, const char* name)
    : COnOffButton_VANTREL_KXE(parent, name), d(std::make_unique<CPopup_PD>())
{
    // Pressing opens the window; the button's own state never writes.
    disconnectAutomaticObserver();
    connect(this, &QAbstractButton::pressed, this, &CPopup_VANTREL_KXE::dynamicPopup);
    setFocusPolicy(Qt::NoFocus);
    m_defaultKind = 0;
}

CPopup_VANTREL_KXE::~CPopup_VANTREL_KXE()
{
    // Unregistered first, while this is still a popup: no observer call can reach a
    // half-destroyed control.
    disconnectMemAPI();
    delete d->window;
}

// ---- properties

QString CPopup_VANTREL_KXE::labels() const { return d->labels.join(QLatin1Char(';')); }
const QStringList& CPopup_VANTREL_KXE::labelList() const { return d->labels; }
int CPopup_VANTREL_KXE::columnsCount() const { return d->columnsCount; }
QSize CPopup_VANTREL_KXE::labelSize() const { return d->labelSize; }
int CPopup_VANTREL_KXE::cellMargin() const { return d->cellMargin; }
int CPopup_VANTREL_KXE::cellSpacing() const { return d->cellSpacing; }
int CPopup_VANTREL_KXE::tableId() const { return d->tableId; }
QColor CPopup_VANTREL_KXE::buttonTextColor() const { return d->buttonTextColor; }
bool CPopup_VANTREL_KXE::grouping() const { return d->grouping; }
bool CPopup_VANTREL_KXE::labelSizeToContents() const { return d->labelSizeToContents; }
QString CPopup_VANTREL_KXE::groupOverride() const { return d->groupOverride; }
const std::vector<unsigned short>& CPopup_VANTREL_KXE::groupSizes() const { return d->groupSizes; }
int CPopup_VANTREL_KXE::groupMatchCnt() const { return d->groupMatchCnt; }
QColor CPopup_VANTREL_KXE::focusColor() const { return d->focusColor; }
Qt::Alignment CPopup_VANTREL_KXE::alignment() const { return d->alignment; }
bool CPopup_VANTREL_KXE::enableFocusRect() const { return d->enableFocusRect; }
bool CPopup_VANTREL_KXE::greyOnDisable() const { return d->greyOnDisable; }
int CPopup_VANTREL_KXE::currentSelection() const { return d->currentSelection; }
unsigned int CPopup_VANTREL_KXE::refCon() const { return d->refCon; }
void CPopup_VANTREL_KXE::setRefCon(unsigned int value) { d->refCon = value; }
void CPopup_VANTREL_KXE::setSorted(bool sorted) { d->sorted = sorted; }
bool CPopup_VANTREL_KXE::sorted() const { return d->sorted; }
const std::vector<int>* CPopup_VANTREL_KXE::mappings() const { return d->mappings.get(); }
CPopupItem_VANTREL_KXE* CPopup_VANTREL_KXE::PopupItem() const { return d->window; }
void CPopup_VANTREL_KXE::mappingsDelete() { d->mappings.reset(); }

void CPopup_VANTREL_KXE::setUserConfirmAction(NS_Utilities::IConfirmUserAction* action)
{
    d->confirm = action;
}

void CPopup_VANTREL_KXE::setAlignment(Qt::Alignment alignment)
{
    d->alignment = alignment;
    updateErasePixmapBridge();
}

void CPopup_VANTREL_KXE::setFocusColor(const QColor& color)
{
    d->focusColor = color;
    setFocusPolicy(Qt::StrongFocus);
    updateErasePixmapBridge();
}

void CPopup_VANTREL_KXE::setEnableFocusRect(bool enable)
{
    d->enableFocusRect = enable;
    setFocusPolicy(Qt::StrongFocus);
    updateErasePixmapBridge();
}

void CPopup_VANTREL_KXE::setColumnsCount(int columns) { d->columnsCount = columns; }
void CPopup_VANTREL_KXE::setLabelSize(const QSize& size) { d->labelSize = size; }
void CPopup_VANTREL_KXE::setCellMargin(int margin) { d->cellMargin = margin; }
void CPopup_VANTREL_KXE::setCellSpacing(int spacing) { d->cellSpacing = spacing; }
void CPopup_VANTREL_KXE::setTableId(int id) { d->tableId = id; }
void CPopup_VANTREL_KXE::setGrouping(bool grouping) { d->grouping = grouping; }
void CPopup_VANTREL_KXE::setgroupMatchCnt(int count) { d->groupMatchCnt = count; }

void CPopup_VANTREL_KXE::setGreyOnDisable(bool grey)
{
    d->greyOnDisable = grey;
    updateErasePixmapBridge();
}

void CPopup_VANTREL_KXE::setButtonTextColor(const QColor& color)
{
    if (d->buttonTextColor == color)
        return;
    d->buttonTextColor = color;
    updateErasePixmapBridge();
}

void CPopup_VANTREL_KXE::setLabelSizeToContents(bool toContents)
{
    d->labelSizeToContents = toContents;
    updateLabelSize();
}

void CPopup_VANTREL_KXE::setGroupOverride(const QString& text)
{
    if (text == d->groupOverride)
        return;
    d->groupSizes.clear();
    for (const QString& entry : splitList(text))
        d->groupSizes.push_back(static_cast<unsigned short>(std::clamp(entry.toInt(), 0, 0xFFFF)));
    // Parsed once: the property reads back empty.
    d->groupOverride.clear();
}

void CPopup_VANTREL_KXE::updateLabelSize()
{
    if (!d->labelSizeToContents)
        return;
    const QFontMetrics metrics(font());
    QRect united;
    for (const QString& label : d->labels)
        united = united.united(metrics.boundingRect(label));
    if (united.width() > 0 && united.height() > 0)
        d->labelSize = QSize(united.width() + kSmallBorderWidth, united.height() + kSmallBorderHeight);
}

void CPopup_VANTREL_KXE::setLabels(const QString& text)
{
    const QStringList given = splitList(text);
    if (!d->sorted) {
        if (labels() == text)
            return;
        d->labels = given;
    } else {
        std::vector<int> numbers;
        numbers.reserve(size_t(given.size()));
        for (const QString& entry : given)
            numbers.push_back(entry.toInt());
        std::sort(numbers.begin(), numbers.end());
        QStringList shown;
        for (const int n : numbers)
            shown.append(QString::number(n));
        if (shown.join(QLatin1Char(';')) == labels())
            return;
        d->labels = shown;
        // What is written for a sorted popup is the position in the list passed in;
        // an entry not written in plain decimal ("007") has none (-1).
        d->mappings = std::make_unique<std::vector<int>>();
        for (const QString& entry : shown)
            d->mappings->push_back(int(given.indexOf(entry)));
    }
    updateLabelSize();
    if (!hasImages() && (isEnabled() || d->greyOnDisable) && d->currentSelection >= 0
        && d->currentSelection < d->labels.size())
        showCurrentLabel();
}

// ---- choices

void CPopup_VANTREL_KXE::loadTableList()
{
    emit updateTableId(d->tableId);
    if (d->tableId <= 0)
        return;
    mappingsDelete();
    if (m_memAPI) {
        // An API without string lists leaves the labels as they are.
        m_memAPI->MAPI_stringList(d->tableId, &d->labels);
        d->tableId = ~d->tableId;
        updateLabelSize();
    }
    emit dynamicListCreated(this);
}

int CPopup_VANTREL_KXE::calculateValueFromIndex(int index) const
{
    if (index < 0 || index >= d->labels.size())
        index = 0;
    if (!d->mappings)
        return index;
    return size_t(index) < d->mappings->size() ? (*d->mappings)[size_t(index)] : index;
}

void CPopup_VANTREL_KXE::showCurrentLabel()
{
    const int index = d->currentSelection;
    setText(index >= 0 && index < d->labels.size() ? d->labels.at(index) : d->labels.value(0));
    updateErasePixmapBridge();
}

void CPopup_VANTREL_KXE::setSelection(int index)
{
    loadTableList();
    if (index < 0 || index >= d->labels.size() || index == d->currentSelection
        || !(isEnabled() || d->greyOnDisable))
        return;
    d->currentSelection = index;
    if (!hasImages())
        showCurrentLabel();
    const int position = calculateValueFromIndex(index);
    // A sorted entry that was no plain number has no position to write.
    if (position >= 0)
        NS_BoundControl::writeUserChange(*this, position + d->valueOffset);
    emit selectionChanged(index);
    emit selectionChanged(index, this);
}

void CPopup_VANTREL_KXE::setSelectionConfirm(int index)
{
    if (index == d->currentSelection)
        return;
    if (!d->confirm) {
        setSelection(index);
        return;
    }
    auto entry = [this](int i) {
        if (!d->mappings)
            return i;
        return i >= 0 && size_t(i) < d->mappings->size() ? (*d->mappings)[size_t(i)] : -1;
    };
    const int oldPosition = entry(d->currentSelection);
    const int newPosition = entry(index);
    if (oldPosition == -1 || newPosition == -1)
        return;
    // The confirmation may run an event loop in which this popup goes.
    QPointer<CPopup_VANTREL_KXE> self(this);
    if (d->confirm->confirm(this, oldPosition, newPosition) == 0 && self)
        setSelection(index);
}

void CPopup_VANTREL_KXE::setSelectText(int value)
{
    setSelectText(value, true);
}

void CPopup_VANTREL_KXE::setSelectText(int value, bool useMapping)
{
    if (!isEnabled() && !d->greyOnDisable)
        return;
    int index = value;
    if (d->mappings && useMapping) {
        const auto found = std::find(d->mappings->begin(), d->mappings->end(), value);
        index = found == d->mappings->end() ? -1 : int(found - d->mappings->begin());
    }
    d->currentSelection = index;
    loadTableList();
    if (!hasImages())
        showCurrentLabel();
}

void CPopup_VANTREL_KXE::removeMenuEntry(int index)
{
    loadTableList();
    const int count = int(d->labels.size());
    if (!d->mappings) {
        if (index < 0 || index >= count)
            return;
        d->mappings = std::make_unique<std::vector<int>>();
        for (int i = 0; i < count; ++i)
            d->mappings->push_back(i);
    }
    // The label that goes is the one of the mapping entry that goes: once an entry
    // has been removed, positions and values no longer agree.
    const auto found = std::find(d->mappings->begin(), d->mappings->end(), index);
    if (index < 0 || found == d->mappings->end())
        return;
    const int position = int(found - d->mappings->begin());
    d->mappings->erase(found);
    if (position < d->labels.size())
        d->labels.removeAt(position);
}

void CPopup_VANTREL_KXE::removeMenuRange(int first, int last)
{
    for (int i = last; i >= first; --i)
        removeMenuEntry(i);
    process(nullptr, 0, 1);
}

void CPopup_VANTREL_KXE::process(const uint8_t* rawData, int operation, uint32_t)
{
    if (!NS_BoundControl::bound(*this))
        return;
    if (NS_BoundControl::postIfOffGuiThread(*this))
        return;
    setWidgetShowState(this);
    // The copy only reads; the alternative default is the value in memory.
    const NS_BoundControl::TOperationValue v =
        NS_BoundControl::valueForOperation(*this, rawData, operation, false);
    if (operation == 3)
        return;
    TMemSilentHelper quiet(m_silent, operation);
    d->valueOffset = NS_BoundControl::readRange(*this).minimum;
    int index = v.value - d->valueOffset;
    if (d->mappings) {
        const auto found = std::find(d->mappings->begin(), d->mappings->end(), index);
        index = found == d->mappings->end() ? -1 : int(found - d->mappings->begin());
    }
    setSelection(index);
    if (d->window)
        d->window->updateSelected(index);
}

// ---- window

void CPopup_VANTREL_KXE::dynamicPopup()
{
    delete d->window;
    loadTableList();
    d->window = new CPopupItem_VANTREL_KXE(this, d->labels, this);
    d->window->setSelectedItem(d->currentSelection);
    d->window->popup();
}

bool CPopup_VANTREL_KXE::cancel()
{
    if (!d->window)
        return false;
    d->window->cancelClose();
    return true;
}

void CPopup_VANTREL_KXE::forceDynamicListRecreation(int)
{
    cancel();
    if (d->tableId < 0)
        d->tableId = ~d->tableId;
    loadTableList();
    // Applied again in full: text, write and signals.
    const int selection = d->currentSelection;
    d->currentSelection = selection - 1;
    setSelection(selection);
    updateErasePixmapBridge();
}

// ---- look

void CPopup_VANTREL_KXE::updateErasePixmapBridge()
{
    m_reload = true;
    updateErasePixmap();
    update();
}

void CPopup_VANTREL_KXE::updateErasePixmap()
{
    if (m_reload)
        reloadImage();
    m_reload = false;
    // With image frames the button draws them, and no text.
    if (hasImages()) {
        COnOffButton_VANTREL_KXE::updateErasePixmap();
        return;
    }
    if (size().isEmpty()) {
        m_look = QPixmap();
        return;
    }
    QColor background = palette().color(backgroundRole());
    QColor foreground = d->buttonTextColor;
    if (!isEnabled() && d->greyOnDisable) {
        foreground = kGreyText;
    } else if (d->focusColor.isValid() && hasFocus()) {
        background = focusBlend(d->focusColor, background);
        foreground = focusBlend(d->focusColor, foreground);
    }
    const qreal ratio = devicePixelRatioF();
    QPixmap look(size() * ratio);
    look.setDevicePixelRatio(ratio);
    look.fill(background);
    if (isEnabled() || d->greyOnDisable) {
        QPainter painter(&look);
        painter.setFont(font());
        painter.setPen(foreground);
        painter.drawText(QRect(QPoint(0, 0), size()), int(d->alignment), text());
        if (hasFocus() && d->enableFocusRect) {
            painter.setPen(QPen(foreground, 1, Qt::DotLine));
            painter.drawRect(QRect(QPoint(0, 0), size()).adjusted(0, 0, -1, -1));
        }
    }
    m_look = look;
}

void CPopup_VANTREL_KXE::paintEvent(QPaintEvent* event)
{
    if (hasImages()) {
        COnOffButton_VANTREL_KXE::paintEvent(event);
        return;
    }
    if (m_reload || m_look.isNull())
        updateErasePixmap();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_look);
}

void CPopup_VANTREL_KXE::resizeEvent(QResizeEvent* event)
{
    COnOffButton_VANTREL_KXE::resizeEvent(event);
    m_reload = true;
}

void CPopup_VANTREL_KXE::mouseReleaseEvent(QMouseEvent* event)
{
    if (isEnabled())
        emit closePopup();
    COnOffButton_VANTREL_KXE::mouseReleaseEvent(event);
}

void CPopup_VANTREL_KXE::focusInEvent(QFocusEvent* event)
{
    COnOffButton_VANTREL_KXE::focusInEvent(event);
    updateErasePixmapBridge();
}

void CPopup_VANTREL_KXE::focusOutEvent(QFocusEvent* event)
{
    COnOffButton_VANTREL_KXE::focusOutEvent(event);
    updateErasePixmapBridge();
}

void CPopup_VANTREL_KXE::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !hasImages()) {
        if (!isEnabled() && !d->greyOnDisable)
            setText(kDisabledText);
        else
            showCurrentLabel();
    }
    COnOffButton_VANTREL_KXE::changeEvent(event);
}
