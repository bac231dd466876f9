#pragma once
// The user-interface server as add-ons and the memory API see it. Not counted.
#include "vantrel_kxe21_utilities_export.h"
#include <cstdint>

class IUnknown;
class QDataStream;
class QMenu;
class QPoint;
class QRect;
class QString;
class QUuid;
class QWidget;
class CompIMPInitialise_VANTREL_KXE;

class VANTREL_UTILITIES_EXPORT IClientServices
{
public:
    virtual int32_t CS_mainWidget(QWidget** widget) = 0;
    virtual int32_t CS_modulePath(IUnknown* module, QString& path) = 0;
    virtual int32_t CS_iUnk(const QUuid& id, IUnknown** object) = 0;
    // GUI thread. *widget := the open window of that module and index, or null;
    // 0x80000008 for a null out-pointer or an index below 1.
    virtual int32_t CS_isEditorOpened(const QUuid& module, int index, QWidget** widget) = 0;
    virtual int32_t CS_reparent(QWidget* widget, QWidget* parent, const QPoint& pos, bool show) = 0;
    // GUI thread. Creates, or brings to the front, window `index` of the module.
    virtual int32_t CS_openEditor(const QUuid& module, int index, QWidget** widget,
                                  const QRect* rect, bool flag) = 0;
    // GUI thread only (0x80000008 elsewhere); null closes every window.
    virtual int32_t CS_closeEditor(QWidget* widget) = 0;
    virtual int32_t CS_reopenDefaultEditors(bool reopen) = 0;
    virtual int32_t CS_menuObject(const QString& name, QMenu** menu) = 0;
    virtual int32_t CS_menuObjectFromID(int id, QMenu** menu) = 0;
    virtual int32_t CS_activeWindow(QWidget** widget) = 0;
    virtual int32_t CS_updatePortInformation() = 0;
    virtual int32_t CS_closeParent() = 0;
    virtual int32_t CS_showHelp(const QString& document) = 0;
    virtual int32_t CS_saveViaStream(QDataStream& stream) = 0;
    virtual int32_t CS_loadViaStream(QDataStream& stream) = 0;
    virtual CompIMPInitialise_VANTREL_KXE* CS_compInitialize() = 0;

protected:
    // Owned by the host component; never deleted through this interface.
    ~IClientServices() = default;
};
