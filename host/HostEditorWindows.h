#pragma once
// The editor windows of the component's page, as the host's command line asks for
// them: opened by add-on and editor id through the page's editor-window interface
// (the component's user-interface server opens them, as for a menu entry), and each
// open one drawn into a picture of its own. Main (GUI) thread.
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include <QString>
#include <QStringList>
#include <QUuid>
#include <vector>

namespace NS_Host {

// One editor asked for: an add-on and one of its editor ids.
struct EditorRequest
{
    QUuid module;
    int id = 1;
};

// An add-on the host knows by a short name.
struct KnownAddOn
{
    const char* shortName;
    QUuid module;
};
const std::vector<KnownAddOn>& knownAddOns();
// The short name of an add-on, or its identifier without braces.
QString shortNameOf(const QUuid& module);

// "NAME[:ID]" where NAME is mixer, common, part, dialogs or a module identifier (with
// or without braces) and ID an editor id of 1 or more (1 when left out).
bool parseEditorRequest(const QString& text, EditorRequest* request, QString* error);

class ModalPicture;

class HostEditorWindows
{
public:
    // Asks the page for its editor windows; isValid() tells whether it has them.
    explicit HostEditorWindows(IUnknown* page);
    ~HostEditorWindows();
    HostEditorWindows(const HostEditorWindows&) = delete;
    HostEditorWindows& operator=(const HostEditorWindows&) = delete;

    bool isValid() const { return m_windows != nullptr; }

    // Opens the editor. A modal one (a dialog that runs until it is closed) returns
    // when it is closed; with a picture folder it is drawn into
    // "<short name>-<id>.png" there after `delayMs` and then closed.
    int32_t open(const EditorRequest& request, const QString& modalPictureFolder = QString(),
                 int delayMs = 0);
    // While an open call runs: the modal window it shows (the first one shown in the
    // call), else null. A prompt of the editor's own that comes up over it is not it.
    QWidget* openingModal() const;
    // The open window of the add-on under that create id, or null.
    QWidget* window(const QUuid& module, int createId) const;
    // Draws every shown window of the known add-ons into "<short name>-<id>.png" in the
    // folder (made when missing). The names written; false in *ok when one failed.
    QStringList savePictures(const QString& folder, bool* ok) const;

private:
    IMPEditorWindows* m_windows = nullptr;
    // The watch of the open call that runs, on the stack of open().
    ModalPicture* m_opening = nullptr;
};

} // namespace NS_Host
