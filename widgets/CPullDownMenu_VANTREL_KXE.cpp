#include "widgets/CPullDownMenu_VANTREL_KXE.h"
#include "memapi/TMemSilentHelper.h"
#include "utilities/PixmapUtilities.h"
#include "widgets/CMenuObject_VANTREL_KXE.h"
#include "widgets/ControlTemplates.h"
#include "widgets/TBoundControlSupport.h"

#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <numeric>
#include <vector>

namespace {
const QColor kGreyText(128, 128, 128);
constexpr int kPaddedWidth = 10;
} // namespace

struct CPullDownMenu_VANTREL_KXE::CPullDownMenu_PD
{
    QPixmap combinedImage;
    QStringList items;
    QStringList sortedItems;
    int current = 0;
    int selectedItem = -1;
    CMenuObject_VANTREL_KXE* menu = nullptr;
    std::vector<QAction*> actions; // by menu entry id
    int nSubImages = 1;
    bool enableFocusRect = false;
    int valueOffset = 0;
    bool sorted = false;
    bool wantCheck = true;
    QMap<int, int> menuToValue;
    QMap<int, int> valueToMenu;
    bool focusConnected = false;
};

CPullDownMenu_VANTREL_KXE::CPullDownMenu_VANTREL_KXE(QWidget* parent, const char* name)
    : QLabel(parent), d(std::make_unique<CPullDownMenu_PD>())
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    d->menu = new CMenuObject_VANTREL_KXE(this, "popup");
    d->menu->hide();
    connect(d->menu, &QMenu::triggered, this,
            [this](QAction* action) { changedTheMenu(action->data().toInt()); });
    m_defaultKind = 0;
    m_undoEnable = false;
}

CPullDownMenu_VANTREL_KXE::~CPullDownMenu_VANTREL_KXE()
{
    // Unregistered first, while this is still a menu: no observer call can reach a
    // half-destroyed control.
    disconnectMemAPI();
    safe_delete1(d->menu);
}

// ---- properties

QPixmap CPullDownMenu_VANTREL_KXE::combinedImage() const { return d->combinedImage; }
QString CPullDownMenu_VANTREL_KXE::menuItemList() const { return d->items.join(QLatin1Char(';')); }
int CPullDownMenu_VANTREL_KXE::nSubImages() const { return d->nSubImages; }
bool CPullDownMenu_VANTREL_KXE::enableFocusRect() const { return d->enableFocusRect; }
bool CPullDownMenu_VANTREL_KXE::sorted() const { return d->sorted; }
bool CPullDownMenu_VANTREL_KXE::wantCheck() const { return d->wantCheck; }
int CPullDownMenu_VANTREL_KXE::current() const { return d->current; }
int CPullDownMenu_VANTREL_KXE::selectedItem() const { return d->selectedItem; }
int CPullDownMenu_VANTREL_KXE::items() const { return int(d->items.size()); }
CMenuObject_VANTREL_KXE* CPullDownMenu_VANTREL_KXE::menu() const { return d->menu; }
void CPullDownMenu_VANTREL_KXE::setSorted(bool sorted) { d->sorted = sorted; }
void CPullDownMenu_VANTREL_KXE::adjustParams() { setCurrentImage(0); }

QString CPullDownMenu_VANTREL_KXE::padWithZeros(const QString& text)
{
    return text.trimmed().rightJustified(kPaddedWidth, QLatin1Char('0'));
}

void CPullDownMenu_VANTREL_KXE::setCombinedImage(const QPixmap& image)
{
    d->combinedImage = image;
    NS_Utilities::geometry_change(this);
}

void CPullDownMenu_VANTREL_KXE::setnSubImages(int frames)
{
    if (frames == d->nSubImages)
        return;
    d->nSubImages = frames;
    updateDimensions();
}

void CPullDownMenu_VANTREL_KXE::setEnableFocusRect(bool enable)
{
    d->enableFocusRect = enable;
    setFocusPolicy(Qt::StrongFocus);
    if (!d->focusConnected) {
        d->focusConnected = true;
        connect(d->menu, &QMenu::aboutToHide, this, [this] { setFocus(Qt::PopupFocusReason); });
    }
    update();
}

void CPullDownMenu_VANTREL_KXE::setWantCheck(bool want)
{
    d->wantCheck = want;
    updateCheck(d->current);
}

int CPullDownMenu_VANTREL_KXE::memapiToMenu(int position) const
{
    if (!d->valueToMenu.isEmpty() && position != -1 && d->valueToMenu.contains(position))
        return d->valueToMenu.value(position);
    return position;
}

int CPullDownMenu_VANTREL_KXE::menuToMemapi(int id) const
{
    if (!d->menuToValue.isEmpty() && id != -1 && d->menuToValue.contains(id))
        return d->menuToValue.value(id);
    return id;
}

// ---- entries

void CPullDownMenu_VANTREL_KXE::setMenuItemList(const QString& text)
{
    if (menuItemList() == text)
        return;
    d->items = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    // An empty list empties the menu too, so no entry outlives the list it came from.
    d->menu->clear();
    d->actions.clear();
    d->menuToValue.clear();
    d->valueToMenu.clear();
    d->sortedItems.clear();
    const int count = int(d->items.size());

    // The menu id of each entry: its position in the menu. Sorted entries are ranked by
    // their number, equal numbers and entries that are no plain number in the order
    // given, so every entry has an id of its own.
    std::vector<int> ids(static_cast<size_t>(count));
    std::iota(ids.begin(), ids.end(), 0);
    if (d->sorted) {
        std::vector<int> order(static_cast<size_t>(count));
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            return d->items.at(a).toInt() < d->items.at(b).toInt();
        });
        for (int rank = 0; rank < count; ++rank) {
            ids[size_t(order[size_t(rank)])] = rank;
            d->sortedItems.append(QString::number(d->items.at(order[size_t(rank)]).toInt()));
        }
    }
    d->actions.assign(size_t(count), nullptr);
    for (int i = 0; i < count; ++i) {
        const int id = ids[size_t(i)];
        QString shown = d->items.at(i);
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        auto* action = new QAction(shown, d->menu);
        action->setCheckable(true);
        action->setData(id);
        d->actions[size_t(id)] = action;
        d->menuToValue.insert(id, i);
        d->valueToMenu.insert(i, id);
    }
    for (QAction* action : d->actions)
        d->menu->addAction(action);

    if (!m_connected) {
        changedTheMenu(0);
        return;
    }
    d->valueOffset = NS_BoundControl::readRange(*this).minimum;
    if (NS_BoundControl::bound(*this))
        showPosition(m_memAPI->MAPI_getIndParam(element(), param(), channel(), false, nullptr)
                     - d->valueOffset);
}

void CPullDownMenu_VANTREL_KXE::updateCheck(int id)
{
    for (QAction* action : d->actions)
        action->setChecked(false);
    if (d->wantCheck && id >= 0 && size_t(id) < d->actions.size())
        d->actions[size_t(id)]->setChecked(true);
}

void CPullDownMenu_VANTREL_KXE::changedTheMenu(int id)
{
    // The entry shown is the selected one: a first selection of the current entry
    // changes no image below, so it is redrawn here.
    if (d->selectedItem != id)
        update();
    d->selectedItem = id;
    updateCheck(id);
    if (id >= 0)
        setCurrentImage(id);
}

void CPullDownMenu_VANTREL_KXE::showPosition(int position)
{
    const int count = items();
    if (position < 0 || position >= count)
        return;
    const int id = memapiToMenu(position);
    if (id >= 0 && id < count)
        changedTheMenu(id);
}

// ---- showing and writing

void CPullDownMenu_VANTREL_KXE::setCurrentImage(int index)
{
    if (index < 0)
        return;
    if (!d->combinedImage.isNull()) {
        if (index >= d->nSubImages || index == d->current)
            return;
    } else {
        if (index == d->current && d->selectedItem != -1)
            return;
        d->selectedItem = index;
    }
    d->current = index;
    NS_BoundControl::writeUserChange(*this, d->valueOffset + menuToMemapi(d->current));
    updateDimensions();
    update();
    emit valueChanged(d->current);
}

void CPullDownMenu_VANTREL_KXE::toggleImage()
{
    const int frames = std::max(d->nSubImages, 1);
    setCurrentImage(d->current + 1 >= frames ? 0 : d->current + 1);
}

void CPullDownMenu_VANTREL_KXE::incMenu()
{
    const int next = std::min(d->current + 1, d->nSubImages - 1);
    setCurrentImage(next);
    if (next < d->nSubImages)
        updateCheck(next);
}

void CPullDownMenu_VANTREL_KXE::decMenu()
{
    const int next = std::max(d->current - 1, 0);
    setCurrentImage(next);
    if (next < items())
        updateCheck(next);
}

void CPullDownMenu_VANTREL_KXE::indexChanged(int index)
{
    if (index < 0 || index >= items())
        return;
    setCurrentImage(index);
    updateCheck(index);
}

void CPullDownMenu_VANTREL_KXE::updateDimensions()
{
    if (d->combinedImage.isNull())
        return;
    const QSize whole = d->combinedImage.deviceIndependentSize().toSize();
    const int height = d->nSubImages > 1 ? whole.height() / d->nSubImages : whole.height();
    setFixedSize(whole.width(), height);
}

// ---- binding

bool CPullDownMenu_VANTREL_KXE::setNamedAddress(const QString& text)
{
    return TMemProxy_VANTREL_KXE::setNamedAddress(text);
}

TMemProxy_VANTREL_KXE* CPullDownMenu_VANTREL_KXE::setUndoEnable(bool enable)
{
    return TMemProxy_VANTREL_KXE::setUndoEnable(enable);
}

TMemProxy_VANTREL_KXE* CPullDownMenu_VANTREL_KXE::setNumDefaultKind(int kind)
{
    return TMemProxy_VANTREL_KXE::setNumDefaultKind(kind);
}

void CPullDownMenu_VANTREL_KXE::connectMemAPI()
{
    NS_BoundControl::registerObserver(*this, true);
}

void CPullDownMenu_VANTREL_KXE::process(const uint8_t* rawData, int operation, uint32_t)
{
    if (!NS_BoundControl::bound(*this))
        return;
    if (NS_BoundControl::postIfOffGuiThread(*this))
        return;
    setWidgetShowState(this);
    const NS_BoundControl::TOperationValue v =
        NS_BoundControl::valueForOperation(*this, rawData, operation);
    if (v.copied)
        return;
    TMemSilentHelper quiet(m_silent, operation);
    // The minimum is read here too: entries set before binding knew no range.
    d->valueOffset = NS_BoundControl::readRange(*this).minimum;
    showPosition(v.value - d->valueOffset);
}

// ---- drawing and input

void CPullDownMenu_VANTREL_KXE::popup()
{
    d->menu->popup(this);
}

void CPullDownMenu_VANTREL_KXE::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!d->combinedImage.isNull()) {
        NS_Utilities::drawPartialPixmap(painter, QPoint(0, d->current), d->combinedImage,
                                        QSize(1, std::max(d->nSubImages, 1)));
        return;
    }
    const QStringList& shown = d->sorted ? d->sortedItems : d->items;
    if (d->selectedItem < 0 || d->selectedItem >= shown.size())
        return;
    painter.setFont(font());
    painter.setPen(isEnabled() ? palette().color(foregroundRole()) : kGreyText);
    painter.drawText(rect(), Qt::AlignCenter, shown.at(d->selectedItem));
    if (hasFocus() && d->enableFocusRect) {
        painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CPullDownMenu_VANTREL_KXE::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    event->accept();
    popup();
}

void CPullDownMenu_VANTREL_KXE::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (hasFocus() && d->enableFocusRect && (key == Qt::Key_Space || key == Qt::Key_Return)) {
        event->accept();
        popup();
        return;
    }
    QLabel::keyPressEvent(event);
}
