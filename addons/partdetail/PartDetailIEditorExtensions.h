#pragma once
// The part detail window inside its frame: 616 x 263 pixels, the server of its part's
// channel, so that every control addressed to "the window's part" follows that part.
// It binds its controls once to the memory API, keeps the bound ones by parameter for
// the control surface's focus requests (its own part's only), follows the surface's
// page requests and opens the voice dialog of its part. It keeps its add-on only
// through the add-on link. GUI thread.
#include "PartDetail.h"
#include "addons/shell/TTovarEditorExtensions.h"
#include <QPointer>
#include <cstdint>
#include <map>

class PartDetailIEditorExtensions : public PartDetail, public TTovarEditorExtensions
{
    Q_OBJECT
public:
    // The dialogs add-on's voice list of part p (0 to 15) is its editor p + 17.
    static constexpr int kFirstVoiceDialogId = 17;

    PartDetailIEditorExtensions(const TAddOnLink& addOn, IClientServices* services, QWidget* parent);

    // Binds the window to the memory API once, as the server of its part.
    int32_t EX_postInitialize(IMemAPI* api) override;
    IMemAPI* memapi() const override { return TTovarEditorExtensions::memapi(); }

    // The part, 0 to 15; a larger number (taken unsigned) is ignored. Once bound, the
    // window serves the new part.
    void setLayerNumber(int part) override;

    // The bound control of a parameter of this window's part, or null (also for any
    // other part's parameter).
    QWidget* findWidget(int element, int channel, int parameter) const;

public slots:
    void openVoiceDialog();
    // A page request of the control surface: shows page `tab`.
    void guiWindowChanged(int window, int tab, int third);
    // A focus request of the control surface: the control of that parameter of this
    // part takes the focus, unless it has it already.
    void remoteFocusChanged(int element, int channel, int parameter);

private:
    static uint32_t addressKey(int element, int parameter);
    void collectControls();

    std::map<uint32_t, QPointer<QWidget>> m_controls;
};
