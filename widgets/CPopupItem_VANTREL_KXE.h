#pragma once
// The window of a popup selector: every choice a cell of a grid, chosen with the mouse
// or the keyboard. Made on every press of the selector, deleted later when it closes.
// GUI thread.
#include "vantrel_kxe21_widgets_export.h"
#include <QLabel>
#include <QPointer>
#include <QStringList>
#include <vector>

class CPopup_VANTREL_KXE;
class CPopupLabel_VANTREL_KXE;
using CPopup = CPopup_VANTREL_KXE;
using CPopupLabel = CPopupLabel_VANTREL_KXE;

class VANTREL_WIDGETS_EXPORT CPopupItem_VANTREL_KXE : public QLabel
{
    Q_OBJECT
public:
    // Per row, the label index shown in each column, -1 for an empty cell.
    using Grid = std::vector<std::vector<int>>;

    CPopupItem_VANTREL_KXE(CPopup_VANTREL_KXE* popup, const QStringList& labels,
                           QWidget* parent = nullptr);
    ~CPopupItem_VANTREL_KXE() override;

    // Sizes of the groups the labels fall into: one group without grouping; else
    // explicit sizes (the last one stays in force) or runs of a common prefix of
    // matchCount characters. The sizes always add up to the label count.
    static std::vector<int> groupSizes(const QStringList& labels, bool grouping, int matchCount,
                                       const std::vector<unsigned short>& overrides);
    // Each group takes ceil(n / columns) rows, filled as evenly as possible, longer
    // rows first; every row has `columns` entries.
    static Grid layoutGroups(const std::vector<int>& groups, int columns);

    const Grid& grid() const { return m_grid; }
    int highlighted() const { return m_highlighted; }
    int selection() const { return m_selection; }
    CPopupLabel_VANTREL_KXE* cell(int index) const;
    // The grid moves of the keyboard; -1 when no cell is found.
    int nextDown(int index) const;
    int nextUp(int index) const;
    // Hover look on the cell of index, the previously highlighted cell restored.
    void highlight(int index);

public slots:
    void popup();
    void customClose(CPopupLabel_VANTREL_KXE* cell, bool apply);
    void cancelClose();
    void adjustPositionToRect();
    void setPopupParent(CPopup_VANTREL_KXE* popup);
    CPopup_VANTREL_KXE* getPopupParent() const;
    void setSelectedItem(int index);
    void updateSelected(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applyPopupItemLabel(CPopupLabel_VANTREL_KXE* cell);
    // Row holding index and its column in that row; (0, 0) when not found.
    std::pair<int, int> gridPosition(int index) const;
    int columns() const;

    int m_highlighted = -1;
    int m_selection = -1;
    QStringList m_labels;
    QPointer<CPopup_VANTREL_KXE> m_popup;
    Grid m_grid;
    std::vector<CPopupLabel_VANTREL_KXE*> m_cells;
};

using CPopupItem = CPopupItem_VANTREL_KXE;
