#pragma once
// The common detail window inside its frame: 616 x 399 pixels, the server of channel
// 0. It binds its controls once to the memory API, keeps the bound ones by parameter
// so that a focus request of the control surface finds its control, follows the
// surface's page requests and opens the arpeggio type dialog. It keeps its add-on
// only through the add-on link. GUI thread.
#include "CommonDetail.h"
#include "addons/shell/TTovarEditorExtensions.h"
#include <QPointer>
#include <cstdint>
#include <map>

class CommonDetailIEditorExtensions : public CommonDetail, public TTovarEditorExtensions
{
    Q_OBJECT
public:
    // The dialogs add-on's editor that chooses the arpeggio type.
    static constexpr int kArpeggioDialogId = 10;

    CommonDetailIEditorExtensions(const TAddOnLink& addOn, IClientServices* services, QWidget* parent);

    // Binds the window to the memory API once, as the server of channel 0.
    int32_t EX_postInitialize(IMemAPI* api) override;
    IMemAPI* memapi() const override { return TTovarEditorExtensions::memapi(); }

    // The bound control of a parameter, or null. The key packs the element above the
    // channel above the parameter.
    QWidget* findWidget(int element, int channel, int parameter) const;
    static uint32_t addressKey(int element, int channel, int parameter);

public slots:
    void openArpDialog();
    // A page request of the control surface: shows page `tab`.
    void guiWindowChanged(int window, int tab, int third);
    // A focus request of the control surface: the control of that parameter takes the
    // focus, unless it has it already.
    void remoteFocusChanged(int element, int channel, int parameter);

private:
    std::map<uint32_t, QPointer<QWidget>> m_controls;
};
