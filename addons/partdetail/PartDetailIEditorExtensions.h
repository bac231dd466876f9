#pragma once
// The part detail window inside its frame: 616 x 263 pixels, the server of its part's
// channel, so that every control addressed to "the window's part" follows that part.
// It keeps its add-on only through the add-on link. GUI thread.
#include "addons/shell/TTovarEditorExtensions.h"
#include <QWidget>

class PartDetailIEditorExtensions : public QWidget, public TTovarEditorExtensions
{
    Q_OBJECT
public:
    static constexpr int kWidth = 616;
    static constexpr int kHeight = 263;

    PartDetailIEditorExtensions(const TAddOnLink& addOn, IClientServices* services, QWidget* parent);

    // Binds the window to the memory API once, as the server of its part.
    int32_t EX_postInitialize(IMemAPI* api) override;

    // The part, 0 to 15; a larger number (taken unsigned) is ignored. Once bound, the
    // window serves the new part.
    void setLayerNumber(int part);
    int layerNumber() const { return m_part; }

private:
    int m_part = 0;
};
