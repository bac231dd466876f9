#pragma once
// The editor's rotary knob: one frame of a knob image strip per value, turned by a
// relative circular drag over 270 degrees (or a linear drag in the vertical mode
// that all knobs share), the wheel and the arrow and page keys. A bound control:
// it writes each user change to the memory API, reads the value back and shows the
// parameter's display text through its signals and value tip. GUI thread; process()
// may be entered from any thread and then only posts.
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "vantrel_kxe21_widgets_export.h"
#include "widgets/TRangeControl_VANTREL_KXE.h"
#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <cstdint>

class VANTREL_WIDGETS_EXPORT CDial_VANTREL_KXE : public QWidget,
                                                 public TRangeControl_VANTREL_KXE,
                                                 public TMemProxy_VANTREL_KXE
{
    Q_OBJECT
    Q_PROPERTY(QPixmap combinedImage READ combinedImage WRITE setCombinedImage)
    Q_PROPERTY(int tableId READ tableId WRITE setTableId)
    Q_PROPERTY(int nSubImages READ nSubImages WRITE setnSubImages)
    Q_PROPERTY(int nImageCategories READ nImageCategories WRITE setnImageCategories)
    Q_PROPERTY(bool disableAutoHide READ disableAutoHide WRITE setDisableAutoHide)
    Q_PROPERTY(QColor focusColor READ focusColor WRITE setFocusColor)
    Q_PROPERTY(bool numberToolTip READ numberToolTip WRITE setNumberToolTip)
    Q_PROPERTY(int disabledImageIndex READ disabledImageIndex WRITE setdisabledImageIndex)
    Q_PROPERTY(bool transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(bool inverted READ inverted WRITE setInverted)
    Q_PROPERTY(QString namedAddress READ namedAddress WRITE setNamedAddress)
    Q_PROPERTY(bool undoEnable READ isUndoEnable WRITE setUndoEnable)
    Q_PROPERTY(int numDefaultKind READ numDefaultKind WRITE setNumDefaultKind)
    Q_PROPERTY(int minValue READ minValue WRITE setMinValue)
    Q_PROPERTY(int maxValue READ maxValue WRITE setMaxValue)
    Q_PROPERTY(int lineStep READ lineStep WRITE setLineStep)
    Q_PROPERTY(int pageStep READ pageStep WRITE setPageStep)
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged USER true)

public:
    // Table id of the frequency steps (line and page steps in sample-rate units).
    static constexpr int kFrequencyTable = -7;

    explicit CDial_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);
    ~CDial_VANTREL_KXE() override;

    // One mode for every dial: a vertical drag instead of the circular one.
    static bool verticalMode();
    static void setVerticalMode(bool on);

    QPixmap combinedImage() const;
    int tableId() const;
    int nSubImages() const;
    int nImageCategories() const;
    bool disableAutoHide() override;
    QColor focusColor() const;
    bool numberToolTip() const;
    int disabledImageIndex() const;
    bool transparent() const;
    bool inverted() const;
    bool altAddressModeOn() const;
    int currentImage() const;

    // Designer forms call setters by the capitalised property name.
    void setNSubImages(int n) { setnSubImages(n); }
    void setNImageCategories(int n) { setnImageCategories(n); }
    void setDisabledImageIndex(int i) { setdisabledImageIndex(i); }
    void setLineStep(int step) { setSteps(step, pageStep()); }
    void setPageStep(int step) { setSteps(lineStep(), step); }

    // Current angle in degrees (clockwise from straight up, -135 .. +135).
    double GetAngle() const;
    // Frame row of the strip for the current value.
    int currentIndex() const;
    // Frame of an attenuator strip (31 rows) for a value.
    int getAttKnobIndex(int value) const;
    // Paints the knob's face into a widget-size background (shared through the
    // window's image cache when it has one).
    void updateErasePixmap();
    QSize sizeHint() const override;

    static double Degree(double radians);
    static double Radian(double degrees);
    // pi/2 minus the angle: clockwise-from-up to mathematical angles and back.
    static double CnvAngle(double angle);
    // The angle between two vectors, 0 .. pi.
    static double CalcVectorAngle(double ax, double ay, double bx, double by);
    // Whether segments (x1,y1)-(x2,y2) and (x3,y3)-(x4,y4) meet; the crossing point
    // goes to *cx, *cy.
    static bool CalcIntersection(double x1, double y1, double x2, double y2, double x3, double y3,
                                 double x4, double y4, double* cx, double* cy);
    // Clockwise-from-up angle of a global point around the drag centre; false at the centre.
    bool CalcAngle(double x, double y, double* angle) const;

    void connectMemAPI() override;
    void disconnectMemAPI() override;
    // Writes the dial's value and answers the value read back.
    virtual int changeMemApiValue();

public slots:
    void setValue(int value);
    void setInverted(bool on);
    void addLine();
    void subtractLine();
    void addPage();
    void subtractPage();
    void process(const uint8_t* rawData, int operation, uint32_t extra) override;
    bool setNamedAddress(const QString& text) override;
    TMemProxy_VANTREL_KXE* setUndoEnable(bool enable) override;
    TMemProxy_VANTREL_KXE* setNumDefaultKind(int kind) override;
    void handle_changeAltNamedValue(int value);
    void setCombinedImage(const QPixmap& image);
    void setTableId(int id);
    void setnSubImages(int n);
    void setnImageCategories(int n);
    void setFocusColor(const QColor& color);
    void setNumberToolTip(bool on);
    void changeAltAddressMode(bool on);
    void setDisableAutoHide(bool on);
    void setdisabledImageIndex(int index);
    void setTransparent(bool on);
    void acceptNum(double number);
    void setfxValueTransform(bool on);
    void setCurrentImage(int category);

signals:
    void valueChanged(int value);
    void dialPressed();
    void dialMoved(int value);
    void dialReleased();
    void altAddressMode(bool atMinimum);
    void memoryAPIValueChange(int value);
    void textualValueChange(const QString& text);
    void pixmapValueChange(const QPixmap& picture);

protected:
    void valueChange() override;
    void rangeChange() override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct CDial_PD;

    // The display update: write (a user change while not silent), then signals,
    // text and tip. Posts a retry instead while the dial's signals are blocked.
    void emitValueChanges(bool userChange);
    void paintFace(QPainter& painter);
    void invalidateFace();
    void updateMask();
    void applyFrameSize();
    QSize frameSize() const;
    QPixmap frame(int category, int row) const;
    int valueForAngle(double degrees) const;
    double angleForValue(int value) const;
    void circularStep(const QPointF& mouse);
    void verticalStep(const QPoint& mouse);
    void frequencyStep(int64_t step);

    CDial_PD* d;
};
