#pragma once
// The mixer view inside its window: 841 x 511 pixels. It keeps its add-on only through
// the add-on link, so a view that outlives the add-on never reaches the deleted object.
// GUI thread.
#include "addons/shell/TTovarEditorExtensions.h"
#include "memapi/IMemAPI.h"
#include <QFrame>

class LayerIEditorExtensions : public QFrame, public TTovarEditorExtensions
{
    Q_OBJECT
public:
    static constexpr int kWidth = 841;
    static constexpr int kHeight = 511;

    LayerIEditorExtensions(const TAddOnLink& addOn, IClientServices* services, QWidget* parent,
                           const char* name);

    // Binds the view to the memory API once; the same API again changes nothing.
    int32_t EX_postInitialize(IMemAPI* api) override;

public slots:
    IMemAPI* memapi() const { return TTovarEditorExtensions::memapi(); }
};
