#pragma once
// A parameter value shown as a short line of text and changed by dragging up or down
// over it, the wheel, the arrow and page keys, clicks in its upper or lower half, or a
// typed number after a double click. GUI thread; process() may be entered from any
// thread and then only posts.
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "vantrel_kxe21_widgets_export.h"
#include "widgets/TRangeControl_VANTREL_KXE.h"

#include <QPixmap>
#include <QWidget>
#include <memory>

namespace NS_Utilities {
class CNumEdit_VANTREL_KXE;
}

class VANTREL_WIDGETS_EXPORT CTextSlider_VANTREL_KXE : public QWidget,
                                                       public TRangeControl_VANTREL_KXE,
                                                       public TMemProxy_VANTREL_KXE
{
    Q_OBJECT
    Q_PROPERTY(bool tracking READ tracking WRITE setTracking)
    Q_PROPERTY(int minValue READ minValue WRITE setMinValue)
    Q_PROPERTY(int maxValue READ maxValue WRITE setMaxValue)
    Q_PROPERTY(int lineStep READ lineStep WRITE setLineStep)
    Q_PROPERTY(int pageStep READ pageStep WRITE setPageStep)
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(QString valueLabel READ valueLabel WRITE setValueLabel)
    Q_PROPERTY(int rangeDiv READ rangeDiv WRITE setRangeDiv)
    Q_PROPERTY(QString formatLabel READ formatLabel WRITE setFormatLabel)
    Q_PROPERTY(int tableId READ tableId WRITE setTableId)
    Q_PROPERTY(bool useTableId READ useTableId WRITE setUseTableId)
    Q_PROPERTY(bool editable READ editable WRITE setEditable)
    Q_PROPERTY(QString editFormat READ editFormat WRITE setEditFormat)
    Q_PROPERTY(bool clickStepping READ clickStepping WRITE setClickStepping)
    Q_PROPERTY(int matchValue READ matchValue WRITE setMatchValue)
    Q_PROPERTY(QString matchLabel READ matchLabel WRITE setMatchLabel)
    Q_PROPERTY(bool enableFocusRect READ enableFocusRect WRITE setEnableFocusRect)
    Q_PROPERTY(bool greyOnDisable READ greyOnDisable WRITE setGreyOnDisable)
    Q_PROPERTY(QString namedAddress READ namedAddress WRITE setNamedAddress)
    Q_PROPERTY(bool undoEnable READ isUndoEnable WRITE setUndoEnable)
    Q_PROPERTY(int numDefaultKind READ numDefaultKind WRITE setNumDefaultKind)
public:
    // Fills the text for a value; false leaves the text as it was.
    using LookupFunc = bool (*)(QString& text, int value);

    explicit CTextSlider_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr,
                                     Qt::WindowFlags flags = {});
    CTextSlider_VANTREL_KXE(int minValue, int maxValue, int pageStep, int value,
                            QWidget* parent = nullptr, const char* name = nullptr);
    ~CTextSlider_VANTREL_KXE() override;

    bool tracking() const;
    QString valueLabel() const;
    int rangeDiv() const;
    QString formatLabel() const;
    int tableId() const;
    bool useTableId() const;
    bool editable() const;
    QString editFormat() const;
    bool clickStepping() const;
    int matchValue() const;
    QString matchLabel() const;
    bool enableFocusRect() const;
    bool greyOnDisable() const;
    QString valueText() const { return m_valueText; }

    void setLookupFunc(LookupFunc lookup);
    // The lookup function's text, or a single blank without one; always true.
    bool valueLookup(QString& text, int value);
    // The text shown for a value (left unchanged without a memory API or a lookup).
    void stringForValue(int value, QString& text);
    void forceUpdate();
    void setClickStepping(bool stepping);
    void setMinValue(int minValue);
    void setMaxValue(int maxValue);
    void setLineStep(int step);
    void setPageStep(int step);
    void initWidget();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void connectMemAPI() override;

public slots:
    void process(const uint8_t* rawData, int operation, uint32_t flags) override;
    bool setNamedAddress(const QString& text) override;
    TMemProxy_VANTREL_KXE* setUndoEnable(bool enable) override;
    TMemProxy_VANTREL_KXE* setNumDefaultKind(int kind) override;
    void setTableId(int id);
    void setUseTableId(bool use);
    void setEditable(bool editable);
    void setEditFormat(const QString& format);
    void setMatchValue(int value);
    void setGreyOnDisable(bool grey);
    void setValue(int value);
    void addLine();
    void subtractLine();
    void addPage();
    void subtractPage();
    void setValueText(QString text);
    void setTracking(bool tracking);
    void setValueLabel(const QString& label);
    void setFormatLabel(const QString& format);
    void setMatchLabel(const QString& label);
    void setRangeDiv(int divisor);
    void acceptNum(double number);
    void setEnableFocusRect(bool enable);

signals:
    void valueChanged(int value);
    void dialPressed();
    void dialMoved(int value);
    void dialReleased();

protected:
    void valueChange() override;
    void rangeChange() override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct CTextSliderPrivate;
    struct CTextSlider_PD;
    int valueFromPoint(int y) const;
    // The divisor of the shown value: rangeDiv, or the sample rate below 1; never 0.
    double divisor(bool typed) const;
    void updateValueText();
    // Makes the text of the value held and redraws only when it differs.
    void refreshValueText();
    void updateErasePixmap();

    std::unique_ptr<CTextSliderPrivate> m_drag;
    QString m_valueText;
    LookupFunc m_lookup = nullptr;
    std::unique_ptr<CTextSlider_PD> d;
    QPixmap m_look;
};

using CTextSlider = CTextSlider_VANTREL_KXE;
