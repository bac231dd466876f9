#pragma once
// The value range of a control (in place of the older toolkit's range control): a
// minimum, a maximum, a value kept within them, a line and a page step, and the
// mapping between values and pixel positions.
//
// How a control uses it: derive from the widget class first and from this class
// second (class CX : public QWidget, public TRangeControl_VANTREL_KXE); override
// valueChange() to repaint, emit and write, and rangeChange() to move a handle. A
// slot setValue(int) of the control calls TRangeControl_VANTREL_KXE::setValue().
// directSetValue() changes the value without the hook (for values being applied
// inside a hook).
//
// Empty and placeholder ranges are safe: a minimum above the maximum becomes an
// empty range at the minimum, and spans are computed in 64 bits, so a range such as
// 0xDEADBEAF .. 0x7EADBEEF never overflows. GUI thread.
#include "vantrel_kxe21_widgets_export.h"
#include <cstdint>

class VANTREL_WIDGETS_EXPORT TRangeControl_VANTREL_KXE
{
public:
    TRangeControl_VANTREL_KXE();
    TRangeControl_VANTREL_KXE(int minValue, int maxValue, int lineStep, int pageStep, int value);
    virtual ~TRangeControl_VANTREL_KXE();

    int value() const { return m_value; }
    int prevValue() const { return m_prevValue; }
    int minValue() const { return m_min; }
    int maxValue() const { return m_max; }
    int lineStep() const { return m_lineStep; }
    int pageStep() const { return m_pageStep; }
    // max - min in 64 bits; 0 for an empty range.
    int64_t span() const { return int64_t(m_max) - int64_t(m_min); }

    // The value limited to the range; valueChange() runs when it changed.
    void setValue(int value);
    void addLine();
    void subtractLine();
    void addPage();
    void subtractPage();
    void setMinValue(int minValue);
    void setMaxValue(int maxValue);
    // A minimum above the maximum gives the empty range min..min. rangeChange() runs
    // when the range changed, then valueChange() when the value had to move.
    void setRange(int minValue, int maxValue);
    // Negative steps count as 0.
    void setSteps(int lineStep, int pageStep);
    int bound(int value) const;
    // Adds a step in 64 bits and limits the result: no overflow at the range's ends.
    int boundSum(int value, int64_t step) const;

    // Pixel position 0 .. span for a value (rounded); 0 for an empty range or span.
    int positionFromValue(int value, int span) const;
    // Value for a pixel position 0 .. span (rounded); the minimum for an empty span.
    int valueFromPosition(int position, int span) const;
    static int positionFromValue(int minValue, int maxValue, int value, int span);
    static int valueFromPosition(int minValue, int maxValue, int position, int span);

protected:
    // Sets the value (limited) without running valueChange().
    void directSetValue(int value);
    virtual void valueChange();
    virtual void rangeChange();
    virtual void stepChange();

private:
    int m_min = 0;
    int m_max = 99;
    int m_lineStep = 1;
    int m_pageStep = 10;
    int m_value = 0;
    int m_prevValue = 0;
};
