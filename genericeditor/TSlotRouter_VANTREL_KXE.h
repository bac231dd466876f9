#pragma once
// Routes one menu entry to the user-interface server's editor_helper with the editor
// id, the add-on and the modifier keys at the click. Child of the server.
#include <QObject>

class CUserInterfaceServer_VANTREL_KXE;
#include "TAddOnDescriptor.h"

class TSlotRouter_VANTREL_KXE : public QObject
{
    Q_OBJECT
public:
    TSlotRouter_VANTREL_KXE(quint32 editorId, TAddOnDescriptor* descriptor,
                            CUserInterfaceServer_VANTREL_KXE* server);

    quint32 editorId() const { return m_editorId; }
    TAddOnDescriptor* descriptor() const { return m_descriptor; }

signals:
    void trigger_editor_helper(quint32 editorId, TAddOnDescriptor* descriptor, quint32 flags);

public slots:
    void menuActionRouter();

private:
    TAddOnDescriptor* m_descriptor;
    quint32 m_editorId;
};
