#include "TAddOnDescriptor.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include <QLibrary>

TAddOnDescriptor::TAddOnDescriptor(const QDir& folder, QLibrary* library,
                                   IGenericEditorPluginInterface* addOn)
    : m_library(library), m_addOn(addOn), m_folder(folder)
{
}

TAddOnDescriptor::~TAddOnDescriptor()
{
    if (m_addOn)
        m_addOn->Release();
    delete m_library;
}
