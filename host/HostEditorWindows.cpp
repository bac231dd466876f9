#include "HostEditorWindows.h"
#include "HostGuid.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace NS_Host {

namespace {

// Editor ids beyond this are no add-on's.
constexpr int kMaxEditorId = 0x3FFF;

QString pictureName(const QUuid& module, int id)
{
    return QStringLiteral("%1-%2.png").arg(shortNameOf(module)).arg(id);
}

bool writePicture(QWidget* window, const QString& path)
{
    const QPixmap picture = window->grab();
    return !picture.isNull() && picture.save(path, "PNG");
}

} // namespace

// The modal dialog an open call runs, caught as it shows, and its picture when a path
// is given: taken after the delay (and the dialog then closed), or as the dialog hides
// when it ends before that, so one that ends within a turn of the loop (a transmit on
// a fast line) is drawn too.
class ModalPicture : public QObject
{
public:
    explicit ModalPicture(const QString& path) : m_path(path) { qApp->installEventFilter(this); }
    ~ModalPicture() override { qApp->removeEventFilter(this); }

    bool taken() const { return m_taken; }
    // A modal window was shown in the call (it may be gone by now).
    bool caught() const { return m_caught; }
    QWidget* watched() const { return m_watched; }

    void takeAndClose()
    {
        QPointer<QWidget> modal = m_watched ? m_watched.data() : QApplication::activeModalWidget();
        if (!modal)
            return;
        take(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal.data()))
            dialog->reject();
        else if (modal)
            modal->close();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !m_taken && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            // The first one: a message it raises, or a prompt of the editor's own
            // that comes up meanwhile, is not the window asked for.
            if (!m_caught && widget->isWindow() && widget->isModal()) {
                m_watched = widget;
                m_caught = true;
            }
        } else if (event->type() == QEvent::Hide && m_watched && watched == m_watched) {
            take(m_watched);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void take(QWidget* modal)
    {
        if (m_taken || m_path.isEmpty())
            return;
        QDir().mkpath(QFileInfo(m_path).path());
        m_taken = writePicture(modal, m_path);
        if (!m_taken)
            std::fprintf(stderr, "vantrel_host: cannot write %s\n", qPrintable(m_path));
    }

    QString m_path;
    QPointer<QWidget> m_watched;
    bool m_caught = false;
    bool m_taken = false;
};

const std::vector<KnownAddOn>& knownAddOns()
{
    static const std::vector<KnownAddOn> known = {
        {"mixer", toUuid(NS_AddOnIds::LayerAddOn)},
        {"common", toUuid(NS_AddOnIds::CommonDetailAddOn)},
        {"part", toUuid(NS_AddOnIds::PartDetailAddOn)},
        {"dialogs", toUuid(NS_AddOnIds::DialogsAddOn)},
    };
    return known;
}

QString shortNameOf(const QUuid& module)
{
    for (const KnownAddOn& addOn : knownAddOns()) {
        if (addOn.module == module)
            return QString::fromLatin1(addOn.shortName);
    }
    return module.toString(QUuid::WithoutBraces);
}

bool parseEditorRequest(const QString& text, EditorRequest* request, QString* error)
{
    auto refuse = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(text, why);
        return false;
    };
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    const QString name = (colon < 0 ? text : text.left(colon)).trimmed();
    EditorRequest parsed;
    if (colon >= 0) {
        bool number = false;
        parsed.id = text.mid(colon + 1).trimmed().toInt(&number);
        if (!number || parsed.id < 1 || parsed.id > kMaxEditorId)
            return refuse(QStringLiteral("the editor id must be a number from 1 to %1").arg(kMaxEditorId));
    }
    for (const KnownAddOn& addOn : knownAddOns()) {
        if (name.compare(QLatin1String(addOn.shortName), Qt::CaseInsensitive) == 0)
            parsed.module = addOn.module;
    }
    if (parsed.module.isNull()) {
        const QUuid id = QUuid::fromString(name);
        if (id.isNull())
            return refuse(QStringLiteral("not mixer, common, part, dialogs or a module identifier"));
        parsed.module = id;
    }
    if (request)
        *request = parsed;
    return true;
}

HostEditorWindows::HostEditorWindows(IUnknown* page)
{
    void* out = nullptr;
    if (page && page->QueryInterface(NS_HostIds::IID_IMPEditorWindows, &out) == 0)
        m_windows = static_cast<IMPEditorWindows*>(out);
}

HostEditorWindows::~HostEditorWindows()
{
    if (m_windows)
        m_windows->Release();
}

int32_t HostEditorWindows::open(const EditorRequest& request, const QString& modalPictureFolder,
                                int delayMs)
{
    if (!m_windows)
        return NS_MPStatus::unexpected;
    // A modal dialog runs its own event loop inside the open call. With a folder it is
    // drawn and closed from there, or drawn as it closes when it ends sooner by itself;
    // it is gone when the call returns, and its picture stands for the window.
    const bool drawn = !modalPictureFolder.isEmpty();
    ModalPicture picture(drawn ? QDir(modalPictureFolder).filePath(pictureName(request.module, request.id))
                               : QString());
    if (drawn)
        QTimer::singleShot(delayMs, &picture, &ModalPicture::takeAndClose);
    ModalPicture* outer = m_opening;
    m_opening = &picture;
    const int32_t status = m_windows->MPOpenEditor(toGuid(request.module), request.id, true);
    m_opening = outer;
    // A modal one has no window left when it is done: it was opened all the same.
    if (drawn ? picture.taken() : picture.caught())
        return NS_MPStatus::ok;
    return status;
}

QWidget* HostEditorWindows::openingModal() const
{
    return m_opening ? m_opening->watched() : nullptr;
}

QWidget* HostEditorWindows::window(const QUuid& module, int createId) const
{
    QWidget* found = nullptr;
    if (m_windows)
        m_windows->MPEditorWindow(toGuid(module), createId, &found);
    return found;
}

QStringList HostEditorWindows::savePictures(const QString& folder, bool* ok) const
{
    QStringList written;
    bool good = QDir().mkpath(folder);
    for (const KnownAddOn& addOn : knownAddOns()) {
        int32_t count = 0;
        if (!m_windows || m_windows->MPEditorCount(toGuid(addOn.module), &count) != 0)
            continue;
        for (int id = 1; id <= count && id <= kMaxEditorId; ++id) {
            QWidget* shown = window(addOn.module, id);
            if (!shown || !shown->isVisible())
                continue;
            const QString name = pictureName(addOn.module, id);
            if (writePicture(shown, QDir(folder).filePath(name)))
                written << name;
            else
                good = false;
        }
    }
    if (ok)
        *ok = good;
    return written;
}

} // namespace NS_Host
