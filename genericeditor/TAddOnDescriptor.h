#pragma once
// One loaded add-on: its library, its object and the folder it was found in.
#include <QDir>
#include <QUuid>

class IGenericEditorPluginInterface;
class QLibrary;

class TAddOnDescriptor
{
public:
    // Takes over the library and one reference to the add-on object.
    TAddOnDescriptor(const QDir& folder, QLibrary* library, IGenericEditorPluginInterface* addOn);
    // Releases the add-on object, then deletes the library object. The library stays
    // mapped: windows and records of the add-on may outlive its object.
    ~TAddOnDescriptor();
    TAddOnDescriptor(const TAddOnDescriptor&) = delete;
    TAddOnDescriptor& operator=(const TAddOnDescriptor&) = delete;

    // Null until the add-on has described its editors.
    QUuid moduleId;

    QLibrary* library() const { return m_library; }
    IGenericEditorPluginInterface* addOn() const { return m_addOn; }
    const QDir& folder() const { return m_folder; }

private:
    QLibrary* m_library;
    IGenericEditorPluginInterface* m_addOn;
    QDir m_folder;
};
