#include "widgets/TRangeControl_VANTREL_KXE.h"

#include <algorithm>

TRangeControl_VANTREL_KXE::TRangeControl_VANTREL_KXE() = default;

TRangeControl_VANTREL_KXE::TRangeControl_VANTREL_KXE(int minValue, int maxValue, int lineStep,
                                                     int pageStep, int value)
    : m_min(minValue), m_max(std::max(minValue, maxValue)), m_lineStep(std::max(lineStep, 0)),
      m_pageStep(std::max(pageStep, 0))
{
    m_value = m_prevValue = bound(value);
}

TRangeControl_VANTREL_KXE::~TRangeControl_VANTREL_KXE() = default;

int TRangeControl_VANTREL_KXE::bound(int value) const
{
    return std::clamp(value, m_min, m_max);
}

int TRangeControl_VANTREL_KXE::boundSum(int value, int64_t step) const
{
    const int64_t sum = int64_t(value) + step;
    return int(std::clamp<int64_t>(sum, m_min, m_max));
}

void TRangeControl_VANTREL_KXE::directSetValue(int value)
{
    m_prevValue = m_value;
    m_value = bound(value);
}

void TRangeControl_VANTREL_KXE::setValue(int value)
{
    const int before = m_value;
    directSetValue(value);
    if (m_value != before)
        valueChange();
}

void TRangeControl_VANTREL_KXE::addLine()
{
    setValue(boundSum(m_value, m_lineStep));
}

void TRangeControl_VANTREL_KXE::subtractLine()
{
    setValue(boundSum(m_value, -int64_t(m_lineStep)));
}

void TRangeControl_VANTREL_KXE::addPage()
{
    setValue(boundSum(m_value, m_pageStep));
}

void TRangeControl_VANTREL_KXE::subtractPage()
{
    setValue(boundSum(m_value, -int64_t(m_pageStep)));
}

void TRangeControl_VANTREL_KXE::setMinValue(int minValue)
{
    setRange(minValue, std::max(minValue, m_max));
}

void TRangeControl_VANTREL_KXE::setMaxValue(int maxValue)
{
    setRange(std::min(m_min, maxValue), maxValue);
}

void TRangeControl_VANTREL_KXE::setRange(int minValue, int maxValue)
{
    if (minValue > maxValue)
        maxValue = minValue;
    if (minValue == m_min && maxValue == m_max)
        return;
    m_min = minValue;
    m_max = maxValue;
    const int limited = bound(m_value);
    rangeChange();
    if (limited != m_value) {
        m_prevValue = m_value;
        m_value = limited;
        valueChange();
    }
}

void TRangeControl_VANTREL_KXE::setSteps(int lineStep, int pageStep)
{
    lineStep = std::max(lineStep, 0);
    pageStep = std::max(pageStep, 0);
    if (lineStep == m_lineStep && pageStep == m_pageStep)
        return;
    m_lineStep = lineStep;
    m_pageStep = pageStep;
    stepChange();
}

int TRangeControl_VANTREL_KXE::positionFromValue(int minValue, int maxValue, int value, int span)
{
    const int64_t range = int64_t(maxValue) - int64_t(minValue);
    if (span <= 0 || range <= 0 || value <= minValue)
        return 0;
    if (value >= maxValue)
        return span;
    const int64_t p = int64_t(value) - int64_t(minValue);
    // Rounded; p * span stays below 2^63 (p < 2^32, span < 2^31).
    return int((p * span + range / 2) / range);
}

int TRangeControl_VANTREL_KXE::valueFromPosition(int minValue, int maxValue, int position, int span)
{
    const int64_t range = int64_t(maxValue) - int64_t(minValue);
    if (span <= 0 || range <= 0 || position <= 0)
        return minValue;
    if (position >= span)
        return maxValue;
    // Rounded; position * range stays below 2^63.
    return int(int64_t(minValue) + (int64_t(position) * range + span / 2) / span);
}

int TRangeControl_VANTREL_KXE::positionFromValue(int value, int span) const
{
    return positionFromValue(m_min, m_max, value, span);
}

int TRangeControl_VANTREL_KXE::valueFromPosition(int position, int span) const
{
    return valueFromPosition(m_min, m_max, position, span);
}

void TRangeControl_VANTREL_KXE::valueChange() {}
void TRangeControl_VANTREL_KXE::rangeChange() {}
void TRangeControl_VANTREL_KXE::stepChange() {}
