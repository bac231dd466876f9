#pragma once
// One part's column of the mixer, built from its Designer form: the header with part
// number, category and voice name, three equaliser knobs, the insertion switch, the
// reverb and chorus sends, mute and solo, pan, the volume fader and the detail button.
// Every control addresses its parameter with the server part code "FE": the mixer
// makes the strip the server of its part, which binds them all. The strip itself only
// follows the part's program and bank select, to show the voice it plays. GUI thread.
#include "ui_ChannelStrip.h"
#include <QList>
#include <QWidget>
#include <cstdint>

class CSimpleNotifier_VANTREL_KXE;
class IMemAPI;

class ChannelStrip : public QWidget
{
    Q_OBJECT
public:
    ChannelStrip(QWidget* parent = nullptr, const char* name = nullptr, Qt::WindowFlags flags = {});
    ~ChannelStrip() override;

    // The part index 0 to 15 this strip shows.
    void setLayerNumber(int part) { m_layer = part; }
    int layerNumber() const { return m_layer; }

    // The form's widgets, by their object names.
    const Ui::ChannelStrip& form() const { return m_ui; }

    virtual uint32_t getCollapsible() const { return m_collapsible; }
    virtual QList<QWidget*> getLayerList() const { return m_layers; }
    virtual IMemAPI* memapi() const { return m_memAPI; }

public slots:
    // Registers a widget as a layer of the strip; bit n of the collapsible mask
    // marks the (n+1)-th as collapsible. Null is ignored.
    virtual void setUILayer(QWidget* widget, bool collapsible);
    virtual void modifyOverride() {}
    // Asks for the part's detail window.
    virtual void openDetail();
    // Follows the part's program and bank select from now on and shows the voice it
    // plays. Null only clears the memory API.
    virtual void connectMemAPI(IMemAPI* api);
    // Shows the voice name and category of the part's current voice.
    virtual void voicesChanged(int);
    // Asks for the voice dialog of the part.
    virtual void openVoice();
    // Texts of the form, then the named addresses of its controls.
    virtual void languageChange();

signals:
    void openPartDetail(int part);
    void openVoiceDialog(int part);

protected:
    void changeEvent(QEvent* event) override;

    Ui::ChannelStrip m_ui;

private:
    void loadImages();
    void deleteNotifiers();

    CSimpleNotifier_VANTREL_KXE* m_bankMsb = nullptr;
    CSimpleNotifier_VANTREL_KXE* m_bankLsb = nullptr;
    CSimpleNotifier_VANTREL_KXE* m_program = nullptr;
    IMemAPI* m_memAPI = nullptr; // not counted: the component keeps it past every window
    QList<QWidget*> m_layers;
    uint32_t m_collapsible = 0;
    int m_layer = 0;
};
