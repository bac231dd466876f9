#pragma once
// The common detail window inside its frame: 616 x 399 pixels, served as part 0. It
// keeps its add-on only through the add-on link. GUI thread.
#include "addons/shell/TTovarEditorExtensions.h"
#include <QWidget>

class CommonDetailIEditorExtensions : public QWidget, public TTovarEditorExtensions
{
    Q_OBJECT
public:
    static constexpr int kWidth = 616;
    static constexpr int kHeight = 399;

    CommonDetailIEditorExtensions(const TAddOnLink& addOn, IClientServices* services,
                                  QWidget* parent);

    // Binds the window to the memory API once, as the server of channel 0.
    int32_t EX_postInitialize(IMemAPI* api) override;
};
