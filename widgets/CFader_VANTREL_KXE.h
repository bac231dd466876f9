#pragma once
// The fader: a slider bound to one parameter, drawn as a thumb image over a
// background, with a value axis that can be flipped (maximum at the top), a value
// tip, and positions through the memory API's fader curve (linear when the memory
// API has none). Its look is one cached pixmap, rebuilt when value, enabled state,
// focus, images or size change. GUI thread; process() may be entered from any
// thread and then only posts.
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "vantrel_kxe21_widgets_export.h"
#include "widgets/CSlider_VANTREL_KXE.h"
#include <QColor>
#include <QPixmap>

class CFaderTip;
namespace NS_BoundControl {
class TBlockedSignalRetry;
}

class VANTREL_WIDGETS_EXPORT CFader_VANTREL_KXE : public CSlider_VANTREL_KXE, public TMemProxy_VANTREL_KXE
{
    Q_OBJECT
    Q_PROPERTY(int nSubImages READ nSubImages WRITE setnSubImages)
    Q_PROPERTY(QPixmap thumbImage READ thumbImage WRITE setThumbImage)
    Q_PROPERTY(bool flipValues READ flipValues WRITE setFlipValues)
    Q_PROPERTY(int tableId READ tableId WRITE setTableId)
    Q_PROPERTY(QString namedAddress READ namedAddress WRITE setNamedAddress)
    Q_PROPERTY(bool undoEnable READ isUndoEnable WRITE setUndoEnable)
    Q_PROPERTY(int numDefaultKind READ numDefaultKind WRITE setNumDefaultKind)
    Q_PROPERTY(QColor focusColor READ focusColor WRITE setFocusColor)
    Q_PROPERTY(bool numberToolTip READ numberToolTip WRITE setNumberToolTip)
    Q_PROPERTY(QPixmap pixmap READ pixmap WRITE setPixmap)

public:
    // How long a text blocked by blocked signals waits for one more try.
    static constexpr int kTextRetryMs = 50;

    explicit CFader_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);
    ~CFader_VANTREL_KXE() override;

    int nSubImages() const { return m_subImages; }
    QPixmap thumbImage() const { return m_thumb; }
    bool flipValues() const { return m_flip; }
    int tableId() const override { return m_tableId; }
    QColor focusColor() const { return m_focusColor; }
    bool numberToolTip() const { return m_tip != nullptr; }
    QPixmap pixmap() const { return m_background; }
    bool usesDisabledImage() const { return m_useDisabledImage; }

    // Designer forms call setters by the capitalised property name.
    void setNSubImages(int n) { setnSubImages(n); }

    // Flip on: low + high - value, limited to low .. high (either order); off: value.
    int applyFlipedTransformation(int value, int low, int high) const override;
    QRect sliderRect() const override;
    int getSlideLength() const override;
    int getSlideThickness() const override;
    int available() const override;
    int positionFromValue(int value) const override;
    int valueFromPosition(int position) const override;
    QSize sizeHint() const override;

    void connectMemAPI() override;
    // Paints background and thumb into the cached look.
    void updateErasePixmap();

public slots:
    void process(const uint8_t* rawData, int operation, uint32_t extra) override;
    bool setNamedAddress(const QString& text) override;
    TMemProxy_VANTREL_KXE* setUndoEnable(bool enable) override;
    TMemProxy_VANTREL_KXE* setNumDefaultKind(int kind) override;
    void setThumbImage(const QPixmap& image);
    void setFlipValues(bool on);
    void useDisabledImage(bool on);
    void emit_textualValueChange();
    void setPixmap(const QPixmap& image);
    void setFocusColor(const QColor& color);
    void setTableId(int id);
    void setnSubImages(int n);
    void setNumberToolTip(bool on);
    void acceptNum(double number);

signals:
    void textualValueChange(const QString& text);

protected:
    void valueChange() override;
    void sliderMovedTo(int position) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool curveReady() const;
    bool hasThumb() const;
    QSize thumbCellSize() const;
    void invalidateLook();
    // The text signal of the value held, retried once while the signals are blocked.
    void showValueText();

    int m_subImages = 1;
    bool m_flip = false;
    bool m_useDisabledImage = false;
    int m_tableId = 5;
    QPixmap m_thumb;
    QPixmap m_background;
    QColor m_focusColor;
    CFaderTip* m_tip = nullptr;
    QPixmap m_look;
    bool m_lookValid = false;
    NS_BoundControl::TBlockedSignalRetry* m_textRetry = nullptr;
    // A value has been shown since the control was connected.
    bool m_valueShown = false;
};
