#include "widgets/CPopupItem_VANTREL_KXE.h"
#include "utilities/ThreadUtilities.h"
#include "widgets/CPopupLabel_VANTREL_KXE.h"
#include "widgets/CPopup_VANTREL_KXE.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>

CPopupItem_VANTREL_KXE::CPopupItem_VANTREL_KXE(CPopup_VANTREL_KXE* popup,
                                               const QStringList& labels, QWidget* parent)
    : QLabel(parent, Qt::Popup | Qt::WindowStaysOnTopHint), m_labels(labels), m_popup(popup)
{
    // However it closes (a choice, Escape, a click outside), the window goes.
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAlignment(Qt::AlignCenter);
    setMouseTracking(true);
    if (!popup)
        return;
    m_selection = popup->currentSelection();

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(popup->cellMargin(), popup->cellMargin(), popup->cellMargin(),
                               popup->cellMargin());
    layout->setSpacing(popup->cellSpacing());

    m_grid = layoutGroups(groupSizes(m_labels, popup->grouping(), popup->groupMatchCnt(),
                                     popup->groupSizes()),
                          popup->columnsCount());
    const QFont& f = popup->font();
    QFont cellFont(f.family(), f.pointSize(), f.weight(), f.italic());
    m_cells.assign(size_t(m_labels.size()), nullptr);
    for (size_t r = 0; r < m_grid.size(); ++r) {
        for (size_t c = 0; c < m_grid[r].size(); ++c) {
            const int k = m_grid[r][c];
            if (k < 0)
                continue;
            auto* cell = new CPopupLabel_VANTREL_KXE(m_labels.at(k), k, this);
            cell->setFixedSize(popup->labelSize());
            cell->setFont(cellFont);
            layout->addWidget(cell, int(r), int(c));
            m_cells[size_t(k)] = cell;
        }
    }
    if (CPopupLabel_VANTREL_KXE* current = cell(m_selection))
        current->setLook(CPopupLabel_VANTREL_KXE::Selected);
}

CPopupItem_VANTREL_KXE::~CPopupItem_VANTREL_KXE() = default;

std::vector<int> CPopupItem_VANTREL_KXE::groupSizes(const QStringList& labels, bool grouping,
                                                    int matchCount,
                                                    const std::vector<unsigned short>& overrides)
{
    const int count = int(labels.size());
    if (count == 0)
        return {};
    if (!grouping)
        return {count};
    std::vector<int> groups;
    int start = 0;
    int override = 0;
    while (start < count) {
        if (groups.size() < overrides.size())
            override = overrides[groups.size()];
        int n = 1;
        if (override >= 1) {
            n = override;
        } else {
            const QString prefix = labels.at(start).left(std::max(matchCount, 1));
            while (start + n < count && labels.at(start + n).startsWith(prefix))
                ++n;
        }
        // Sizes that add up to more labels than there are end at the last label.
        n = std::min(n, count - start);
        groups.push_back(n);
        start += n;
    }
    return groups;
}

CPopupItem_VANTREL_KXE::Grid CPopupItem_VANTREL_KXE::layoutGroups(const std::vector<int>& groups,
                                                                  int columns)
{
    // A column count from a form may be 0: it divides below.
    columns = std::max(columns, 1);
    Grid grid;
    int k = 0;
    for (const int n : groups) {
        const int rows = (n + columns - 1) / columns;
        int remaining = n;
        for (int r = 0; r < rows; ++r) {
            const int left = rows - r;
            const int take = (remaining + left - 1) / left;
            std::vector<int> row(size_t(columns), -1);
            for (int c = 0; c < take; ++c)
                row[size_t(c)] = k++;
            remaining -= take;
            grid.push_back(std::move(row));
        }
    }
    return grid;
}

CPopupLabel_VANTREL_KXE* CPopupItem_VANTREL_KXE::cell(int index) const
{
    if (index < 0 || size_t(index) >= m_cells.size())
        return nullptr;
    return m_cells[size_t(index)];
}

int CPopupItem_VANTREL_KXE::columns() const
{
    return m_grid.empty() ? 1 : int(m_grid.front().size());
}

std::pair<int, int> CPopupItem_VANTREL_KXE::gridPosition(int index) const
{
    // No choice (-1) is no cell: an empty cell holds -1 too, and would give a column
    // left of the row.
    if (index < 0)
        return {0, 0};
    for (size_t r = 0; r < m_grid.size(); ++r) {
        const std::vector<int>& row = m_grid[r];
        if (std::find(row.begin(), row.end(), index) != row.end())
            return {int(r), index - row.front()};
    }
    return {0, 0};
}

int CPopupItem_VANTREL_KXE::nextDown(int index) const
{
    if (m_grid.empty())
        return -1;
    auto [row, col] = gridPosition(index);
    const int rows = int(m_grid.size());
    const int cols = columns();
    for (int tries = 0; tries < rows; ++tries) {
        if (++row >= rows) {
            row = 0;
            col = col + 1 > cols - 1 ? 0 : col + 1;
        }
        const int found = m_grid[size_t(row)][size_t(col)];
        if (found >= 0)
            return found;
    }
    return -1;
}

int CPopupItem_VANTREL_KXE::nextUp(int index) const
{
    if (m_grid.empty())
        return -1;
    auto [row, col] = gridPosition(index);
    const int rows = int(m_grid.size());
    const int cols = columns();
    for (int tries = 0; tries < rows; ++tries) {
        if (--row < 0) {
            row = rows - 1;
            col = col - 1 < 0 ? cols - 1 : col - 1;
        }
        const int found = m_grid[size_t(row)][size_t(col)];
        if (found >= 0)
            return found;
    }
    return -1;
}

void CPopupItem_VANTREL_KXE::highlight(int index)
{
    if (index == m_highlighted || !cell(index))
        return;
    if (CPopupLabel_VANTREL_KXE* old = cell(m_highlighted))
        old->popPalette();
    cell(index)->pushPalette();
    m_highlighted = index;
}

void CPopupItem_VANTREL_KXE::popup()
{
    if (m_popup)
        move(m_popup->mapToGlobal(QPoint(0, m_popup->height())));
    for (size_t k = 0; k < m_cells.size(); ++k) {
        if (m_cells[k])
            m_cells[k]->setLook(int(k) == m_selection ? CPopupLabel_VANTREL_KXE::Selected
                                                      : CPopupLabel_VANTREL_KXE::Normal);
    }
    adjustPositionToRect();
}

void CPopupItem_VANTREL_KXE::adjustPositionToRect()
{
    if (layout())
        resize(layout()->totalMinimumSize());
    QScreen* screen = m_popup ? m_popup->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        show();
        return;
    }
    const QRect a = screen->availableGeometry();
    const QRect f = frameGeometry();
    if (a.contains(f, true)) {
        show();
        return;
    }
    // Keep the window on the screen: shift it back over the edge it crosses.
    int dx = f.left() < a.left() ? a.left() - f.left() : 0;
    if (f.right() > a.right())
        dx = a.right() - f.right();
    int dy = 0;
    if (f.bottom() > a.bottom())
        dy = a.bottom() - f.bottom();
    else if (f.top() < a.top())
        dy = a.top() - f.top();
    const int x = pos().x(), y = pos().y();
    if (x + dx < a.left())
        dx = a.left() - f.left();
    if (x + dx > a.right())
        dx = a.right() - f.right();
    if (y + dy < a.top())
        dy = a.top() - f.top();
    if (y + dy > a.bottom())
        dy = a.bottom() - f.bottom();
    if (dx || dy)
        move(x + dx, y + dy);
    show();
}

void CPopupItem_VANTREL_KXE::applyPopupItemLabel(CPopupLabel_VANTREL_KXE* chosen)
{
    if (!chosen)
        return;
    chosen->setLook(CPopupLabel_VANTREL_KXE::Selected);
    // The cell's own index: two choices with the same text stay apart.
    m_selection = chosen->index();
    if (m_popup)
        m_popup->setSelectionConfirm(m_selection);
}

void CPopupItem_VANTREL_KXE::customClose(CPopupLabel_VANTREL_KXE* chosen, bool apply)
{
    QPointer<CPopupItem_VANTREL_KXE> self(this);
    if (apply)
        applyPopupItemLabel(chosen);
    if (self)
        cancelClose();
}

void CPopupItem_VANTREL_KXE::cancelClose()
{
    if (NS_Utilities::mainThreadRunning())
        close();
    deleteLater();
}

void CPopupItem_VANTREL_KXE::setPopupParent(CPopup_VANTREL_KXE* popup)
{
    m_popup = popup;
}

CPopup_VANTREL_KXE* CPopupItem_VANTREL_KXE::getPopupParent() const
{
    return m_popup;
}

void CPopupItem_VANTREL_KXE::setSelectedItem(int index)
{
    m_selection = index;
}

void CPopupItem_VANTREL_KXE::updateSelected(int index)
{
    if (CPopupLabel_VANTREL_KXE* old = cell(m_selection))
        old->setLook(CPopupLabel_VANTREL_KXE::Normal);
    if (CPopupLabel_VANTREL_KXE* now = cell(index))
        now->setLook(CPopupLabel_VANTREL_KXE::Selected);
    m_selection = index;
}

void CPopupItem_VANTREL_KXE::keyPressEvent(QKeyEvent* event)
{
    const int count = int(m_labels.size());
    int index = m_highlighted >= 0 ? m_highlighted : m_selection;
    bool moved = true;
    bool press = false;
    switch (event->key()) {
    case Qt::Key_Left:
        index = index - 1 < 0 ? count - 1 : index - 1;
        break;
    case Qt::Key_Right:
        index = index + 1 >= count ? 0 : index + 1;
        break;
    case Qt::Key_Up:
        index = nextUp(index);
        break;
    case Qt::Key_Down:
        index = nextDown(index);
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        press = true;
        break;
    default:
        moved = false;
        break;
    }
    if (moved && index >= 0 && index < count) {
        highlight(index);
        if (press) {
            if (CPopupLabel_VANTREL_KXE* chosen = cell(index))
                chosen->customPressed();
        }
    }
    // Escape and the rest get the default handling (Escape closes the window).
    QWidget::keyPressEvent(event);
}

void CPopupItem_VANTREL_KXE::closeEvent(QCloseEvent* event)
{
    event->accept();
    // The press that opened the window never saw its release: let the button come up.
    if (m_popup) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(0, 0),
                            m_popup->mapToGlobal(QPointF(0, 0)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(m_popup, &release);
    }
}
