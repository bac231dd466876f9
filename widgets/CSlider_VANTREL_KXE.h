#pragma once
// The editor's own slider: a range control with dragging, click-to-page with
// auto-repeat, wheel and keys, drawn by the toolkit style. It tells when a mouse
// interaction starts and ends (alternativeDisplayBegin / alternativeDisplayEnd), so
// that a label display can show the value while the user drags. Abstract: the value
// flip and the table id come from subclasses (CFader_VANTREL_KXE). Positions run from
// 0 at the top (left) to available() at the bottom (right). GUI thread.
#include "vantrel_kxe21_widgets_export.h"
#include "widgets/TRangeControl_VANTREL_KXE.h"
#include <QWidget>

class QStyleOptionSlider;
class QTimer;

class VANTREL_WIDGETS_EXPORT CSlider_VANTREL_KXE : public QWidget, public TRangeControl_VANTREL_KXE
{
    Q_OBJECT
public:
    enum TickSetting { NoMarks = 0, Above = 1, Left = Above, Below = 2, Right = Below, Both = 3 };
    Q_ENUM(TickSetting)

private:
    Q_PROPERTY(int minValue READ minValue WRITE setMinValue)
    Q_PROPERTY(int maxValue READ maxValue WRITE setMaxValue)
    Q_PROPERTY(int lineStep READ lineStep WRITE setLineStep)
    Q_PROPERTY(int pageStep READ pageStep WRITE setPageStep)
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged USER true)
    Q_PROPERTY(bool tracking READ tracking WRITE setTracking)
    Q_PROPERTY(Qt::Orientation orientation READ orientation WRITE setOrientation)
    Q_PROPERTY(TickSetting tickmarks READ tickmarks WRITE setTickmarks)
    Q_PROPERTY(int tickInterval READ tickInterval WRITE setTickInterval)
    Q_PROPERTY(bool horDir READ horDir WRITE setHorDir)

public:
    // Interaction states.
    enum State { Idle = 0, Dragging = 1, TimingUp = 2, TimingDown = 3 };

    explicit CSlider_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);
    CSlider_VANTREL_KXE(Qt::Orientation orientation, QWidget* parent = nullptr, const char* name = nullptr);
    CSlider_VANTREL_KXE(int minValue, int maxValue, int pageStep, int value, Qt::Orientation orientation,
                        QWidget* parent = nullptr, const char* name = nullptr);
    ~CSlider_VANTREL_KXE() override;

    void setLineStep(int step);
    void setPageStep(int step);
    bool tracking() const { return m_tracking; }
    Qt::Orientation orientation() const { return m_orientation; }
    TickSetting tickmarks() const { return m_ticks; }
    int tickInterval() const { return m_tickInterval; }
    bool horDir() const { return m_horDir; }
    void setHorDir(bool on);
    int sliderPosition() const { return m_sliderPos; }
    State state() const { return m_state; }

    virtual void setOrientation(Qt::Orientation orientation);
    virtual void setTracking(bool on);
    // The handle's rectangle at the current position.
    virtual QRect sliderRect() const;
    virtual void setTickmarks(TickSetting ticks);
    virtual void setTickInterval(int interval);
    // The value mirrored within low .. high when the subclass flips values.
    virtual int applyFlipedTransformation(int value, int low, int high) const = 0;
    virtual int getSlideLength() const;
    virtual int getSlideThickness() const;
    // Pixels the handle can travel: the length along the slide minus the handle's.
    virtual int available() const;
    virtual int tableId() const = 0;
    virtual int positionFromValue(int value) const;
    virtual int valueFromPosition(int position) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    virtual void setValue(int value);
    void addStep();
    void subtractStep();
    void repeatTimeout();

signals:
    void valueChanged(int value);
    void sliderPressed();
    void sliderMoved(int value);
    void sliderReleased();
    void alternativeDisplayBegin();
    void alternativeDisplayEnd();

protected:
    void valueChange() override;
    void rangeChange() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

    // Paints groove and handle with the toolkit style at the slider position.
    void paintStyled(QPainter& painter);
    void initStyleOption(QStyleOptionSlider* option) const;
    // The handle moved (redraw); subclasses with a cached look rebuild it.
    virtual void sliderMovedTo(int position);
    void moveSlider(int position);
    void resetState();
    int along(const QPoint& point) const;
    bool mirrored() const;
    // A slider that is also bound to a parameter neither pages nor snaps back.
    bool isBoundControl() const;

private:
    void init(Qt::Orientation orientation);
    QRect styleHandleRect() const;

    QTimer* m_repeat = nullptr;
    State m_state = Idle;
    int m_sliderPos = 0;
    int m_sliderVal = 0;
    int m_clickOffset = 0;
    bool m_tracking = true;
    TickSetting m_ticks = NoMarks;
    int m_tickInterval = 0;
    Qt::Orientation m_orientation = Qt::Vertical;
    bool m_horDir = false;
    int m_pressValue = 0;
};
