#pragma once
// Attached to a hot-spot label: a double click on the hot spot opens another editor
// window through the user-interface server and tells it which channel to show. A child
// of its label. GUI thread.
#include "utilities/YGuid.h"
#include "vantrel_kxe21_widgets_export.h"
#include "widgets/CHotspotLabel_VANTREL_KXE.h"

#include <QObject>
#include <QPointer>

class TMemProxy_VANTREL_KXE;

class VANTREL_WIDGETS_EXPORT EditorOpener_VANTREL_KXE : public QObject
{
    Q_OBJECT
public:
    // Any modifier keys are accepted with kAnyModifiers.
    static constexpr ButtonState kAnyModifiers = -1;

    // The proxy (not owned) gives the channel; it need not outlive the opener.
    EditorOpener_VANTREL_KXE(CHotspotLabel_VANTREL_KXE* label, TMemProxy_VANTREL_KXE* proxy,
                             const Y_GUID& component, int subId, ButtonState modifiers = kAnyModifiers,
                             int channelOffset = 0);

public slots:
    void openAnEditor(ButtonState state);
    // With the modifier keys held now.
    void openAnEditor();

private:
    TMemProxy_VANTREL_KXE* proxy() const;

    Y_GUID m_component;
    int m_subId;
    ButtonState m_modifiers;
    TMemProxy_VANTREL_KXE* m_proxy;
    // Set when the proxy is an object: a proxy deleted before the opener is not used.
    QPointer<QObject> m_proxyObject;
    bool m_proxyIsObject = false;
    int m_channelOffset;
};

using EditorOpener = EditorOpener_VANTREL_KXE;
