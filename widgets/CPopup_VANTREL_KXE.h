#pragma once
// A button that shows the current choice of a list and, when pressed, opens a window
// with every choice as a cell of a grid; a choice writes its value into the bound
// parameter. The list is fixed, a list of numbers shown sorted, or one the memory API
// supplies by table id. GUI thread; process() may be entered from any thread and then
// only posts.
#include "widgets/COnOffButton_VANTREL_KXE.h"

#include <QStringList>
#include <memory>
#include <vector>

class CPopupItem_VANTREL_KXE;
namespace NS_Utilities {
class IConfirmUserAction;
}

class VANTREL_WIDGETS_EXPORT CPopup_VANTREL_KXE : public COnOffButton_VANTREL_KXE
{
    Q_OBJECT
    Q_PROPERTY(QString labels READ labels WRITE setLabels)
    Q_PROPERTY(int columnsCount READ columnsCount WRITE setColumnsCount)
    Q_PROPERTY(QSize labelSize READ labelSize WRITE setLabelSize)
    Q_PROPERTY(int cellMargin READ cellMargin WRITE setCellMargin)
    Q_PROPERTY(int cellSpacing READ cellSpacing WRITE setCellSpacing)
    Q_PROPERTY(int tableId READ tableId WRITE setTableId)
    Q_PROPERTY(QColor buttonTextColor READ buttonTextColor WRITE setButtonTextColor)
    Q_PROPERTY(bool grouping READ grouping WRITE setGrouping)
    Q_PROPERTY(bool labelSizeToContents READ labelSizeToContents WRITE setLabelSizeToContents)
    Q_PROPERTY(QString groupOverride READ groupOverride WRITE setGroupOverride)
    Q_PROPERTY(int groupMatchCnt READ groupMatchCnt WRITE setgroupMatchCnt)
    Q_PROPERTY(QColor focusColor READ focusColor WRITE setFocusColor)
    Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(bool enableFocusRect READ enableFocusRect WRITE setEnableFocusRect)
    Q_PROPERTY(bool greyOnDisable READ greyOnDisable WRITE setGreyOnDisable)
    Q_PROPERTY(QString namedAddress READ namedAddress WRITE setNamedAddress)
    Q_PROPERTY(bool undoEnable READ isUndoEnable WRITE setUndoEnable)
    Q_PROPERTY(int numDefaultKind READ numDefaultKind WRITE setNumDefaultKind)
public:
    // Added to the measured text when cells are sized to their contents.
    static constexpr int kSmallBorderWidth = 6;
    static constexpr int kSmallBorderHeight = 4;

    explicit CPopup_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);
    ~CPopup_VANTREL_KXE() override;

    QString labels() const;
    const QStringList& labelList() const;
    int columnsCount() const;
    QSize labelSize() const;
    int cellMargin() const;
    int cellSpacing() const;
    int tableId() const;
    QColor buttonTextColor() const;
    bool grouping() const;
    bool labelSizeToContents() const;
    QString groupOverride() const;
    const std::vector<unsigned short>& groupSizes() const;
    int groupMatchCnt() const;
    QColor focusColor() const;
    Qt::Alignment alignment() const;
    bool enableFocusRect() const;
    bool greyOnDisable() const;
    int currentSelection() const;
    unsigned int refCon() const;
    void setRefCon(unsigned int value);
    void setUserConfirmAction(NS_Utilities::IConfirmUserAction* action);
    void setSorted(bool sorted);
    bool sorted() const;
    // The mapping list (choice -> position written), null when positions are indexes.
    const std::vector<int>* mappings() const;
    // The open window, or null.
    CPopupItem_VANTREL_KXE* PopupItem() const;
    // Closes an open window; true when there was one.
    bool cancel();
    void removeMenuEntry(int index);
    void removeMenuRange(int first, int last);
    int calculateValueFromIndex(int index) const;
    void mappingsDelete();
    // Designer forms call setters by the capitalised property name.
    void setGroupMatchCnt(int count) { setgroupMatchCnt(count); }

public slots:
    void process(const uint8_t* rawData, int operation, uint32_t flags) override;
    void setAlignment(Qt::Alignment alignment);
    void setFocusColor(const QColor& color);
    void setLabels(const QString& text);
    void setColumnsCount(int columns);
    void setLabelSize(const QSize& size);
    void setCellMargin(int margin);
    void setCellSpacing(int spacing);
    void setSelection(int index);
    void setSelectionConfirm(int index);
    void setSelectText(int value);
    void setSelectText(int value, bool useMapping);
    void updateErasePixmapBridge();
    void setTableId(int id);
    void setButtonTextColor(const QColor& color);
    void setGrouping(bool grouping);
    void setLabelSizeToContents(bool toContents);
    void setGroupOverride(const QString& text);
    void setgroupMatchCnt(int count);
    void dynamicPopup();
    void forceDynamicListRecreation(int unused = 0);
    void setEnableFocusRect(bool enable);
    void setGreyOnDisable(bool grey);

signals:
    void selectionChanged(int index);
    void selectionChanged(int index, CPopup_VANTREL_KXE* popup);
    void updateTableId(int tableId);
    void closePopup();
    void dynamicListCreated(CPopup_VANTREL_KXE* popup);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateErasePixmap() override;

private:
    struct CPopup_PD;
    void loadTableList();
    void updateLabelSize();
    // The label a text button shows for the current selection.
    void showCurrentLabel();

    std::unique_ptr<CPopup_PD> d;
};

using CPopup = CPopup_VANTREL_KXE;
