// The view add-on libraries as the component meets them: the one export, a counted
// add-on object per factory call, and the windows with their frames, sizes and
// captions, bound once to the memory API, and still safe when the add-on has gone.
#include "ViewLibraries.h"
#include <algorithm>
#include "memapi/tests/fakes/FakeMemAPI.h"
#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

// Records which objects were made servers of which channel.
class ServerLog : public FakeMemAPI
{
public:
    int32_t MAPI_assignServer(QObject* root, int channel) override
    {
        servers.push_back({root, channel});
        return FakeMemAPI::MAPI_assignServer(root, channel);
    }
    std::vector<std::pair<QObject*, int>> servers;
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class ViewAddOnLibrary : public ::testing::TestWithParam<ViewLibrary>
{
protected:
    void SetUp() override
    {
        m_factory = viewFactory(GetParam());
        ASSERT_NE(m_factory, nullptr) << qPrintable(viewLibraryPath(GetParam()));
    }

    TAddOnFactoryFunction m_factory = nullptr;
};

} // namespace

TEST_P(ViewAddOnLibrary, ExportsOnlyTheFactory)
{
    const QString nm = QStandardPaths::findExecutable(QStringLiteral("nm"));
    if (nm.isEmpty())
        GTEST_SKIP() << "no nm to read the dynamic symbols";
    QProcess process;
    process.start(nm, {QStringLiteral("-D"), QStringLiteral("--defined-only"), viewLibraryPath(GetParam())});
    ASSERT_TRUE(process.waitForFinished(30000));
    QStringList functions;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() != 3)
            continue;
        if (fields[1] == "T")
            functions << QString::fromLatin1(fields[2]);
        // The add-on's own classes never cross the boundary.
        for (const char* own : {"TTovar", "AddOn", "IEditorExtensions_", "NS_AddOnShell"})
            EXPECT_FALSE(fields[2].contains(own)) << fields[2].constData();
    }
    EXPECT_EQ(functions, QStringList{QString::fromLatin1(kAddOnFactoryName)});
}

TEST_P(ViewAddOnLibrary, EachFactoryCallMakesAnObjectWithItsOwnCount)
{
    IGenericEditorPluginInterface* first = m_factory();
    IGenericEditorPluginInterface* second = m_factory();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->AddRef(), 2u);
    EXPECT_EQ(second->Release(), 0u);

    struct Query
    {
        Y_GUID iid;
        int32_t status;
    };
    const Query queries[] = {
        {NS_HostIds::IID_IUnknown, NS_MPStatus::ok},
        {NS_HostIds::IID_IGenericEditorPluginInterface, NS_MPStatus::ok},
        {NS_MemAPI::iidIMemAPI(), NS_MPStatus::noInterface},
        {NS_AddOnIds::LayerAddOn, NS_MPStatus::noInterface},
    };
    uint32_t count = 2;
    for (const Query& q : queries) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(first->QueryInterface(q.iid, &out), q.status);
        if (q.status == NS_MPStatus::ok) {
            EXPECT_EQ(out, first);
            ++count;
        } else {
            EXPECT_EQ(out, nullptr);
        }
    }
    EXPECT_EQ(first->QueryInterface(NS_HostIds::IID_IUnknown, nullptr), NS_MPStatus::invalidArgument);
    while (count > 1)
        EXPECT_EQ(first->Release(), --count);
    EXPECT_EQ(first->Release(), 0u);
}

TEST_P(ViewAddOnLibrary, MakesItsWindowInAFixedFrameAndBindsItOnce)
{
    const ViewLibrary& library = GetParam();
    IGenericEditorPluginInterface* addOn = m_factory();
    ASSERT_EQ(addOn->GP_initialize(nullptr, nullptr), NS_MPStatus::ok);
    EXPECT_EQ(addOn->GP_editorCount(nullptr), library.editors);

    int32_t status = -1;
    QWidget* window = addOn->GP_create(library.sampleId, &status);
    EXPECT_EQ(status, NS_MPStatus::ok);
    auto* frame = qobject_cast<QScrollArea*>(window);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isWindow());
    EXPECT_EQ(frame->size(), library.frame);
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
    EXPECT_EQ(frame->windowTitle(), QString::fromLatin1(library.caption));
    QWidget* view = frame->widget();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->size(), library.view);
    EXPECT_EQ(view->pos(), QPoint(0, 0));
    EXPECT_EQ(view->objectName(), QString::fromLatin1(library.viewName));
    // Shown, the whole view is in sight without scroll bars.
    frame->show();
    EXPECT_FALSE(frame->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(frame->verticalScrollBar()->isVisible());
    EXPECT_TRUE(frame->viewport()->rect().contains(view->geometry()));
    frame->hide();

    IEditorExtensions* extensions = addOn->GP_extension(window, &status);
    ASSERT_NE(extensions, nullptr);
    EXPECT_EQ(extensions, dynamic_cast<IEditorExtensions*>(view));
    QWidget stranger;
    status = -1;
    EXPECT_EQ(addOn->GP_extension(&stranger, &status), nullptr);
    EXPECT_EQ(status, NS_MPStatus::ok);
    EXPECT_EQ(addOn->GP_extension(nullptr, nullptr), nullptr);
    IGenericEditorPluginInterface* owner = nullptr;
    EXPECT_EQ(extensions->EX_module(&owner), NS_MPStatus::ok);
    EXPECT_EQ(owner, addOn);
    EXPECT_EQ(extensions->EX_module(nullptr), NS_MPStatus::failure);
    EXPECT_EQ(extensions->EX_execute(), NS_MPStatus::notImplemented);

    ServerLog api;
    EXPECT_EQ(extensions->EX_postInitialize(&api), NS_MPStatus::ok);
    const auto bound = api.servers;
    EXPECT_EQ(extensions->EX_postInitialize(&api), NS_MPStatus::ok);
    EXPECT_EQ(api.servers.size(), bound.size()) << "bound twice to the same memory API";
    if (library.module == NS_AddOnIds::PartDetailAddOn) {
        // Id 21 is part 5: the window serves channel 4, once (the notifiers that follow
        // its voice are bound to that channel as they are made).
        ASSERT_EQ(std::count_if(bound.begin(), bound.end(), [&](const auto& s) { return s.first == view; }), 1);
        for (const auto& [object, channel] : bound)
            EXPECT_EQ(channel, 4);
    }

    // A second request: the kept window takes the focus instead of being made again;
    // a part window is made anew (the server's one window per key prevents twins).
    status = -1;
    QWidget* again = addOn->GP_create(library.sampleId, &status);
    EXPECT_EQ(status, NS_MPStatus::ok);
    EXPECT_EQ(again == nullptr, library.keptWindow);
    delete again;
    delete window;
    QWidget* remade = addOn->GP_create(library.sampleId, nullptr);
    EXPECT_NE(remade, nullptr) << "the add-on still thinks its deleted window exists";
    delete remade;
    EXPECT_EQ(addOn->Release(), 0u);
}

// The mixer keeps its window itself; the common window is kept by the server's
// hide-on-close flag, not by its frame.
TEST_P(ViewAddOnLibrary, ClosingHidesTheMixerAndDeletesAnyOther)
{
    const ViewLibrary& library = GetParam();
    IGenericEditorPluginInterface* addOn = m_factory();
    QPointer<QWidget> window = addOn->GP_create(library.sampleId, nullptr);
    ASSERT_TRUE(window);
    window->show();
    EXPECT_TRUE(window->close());
    flushDeletes();
    EXPECT_EQ(bool(window), library.closeHides);
    if (window) {
        EXPECT_TRUE(window->isHidden());
        delete window.data();
    }
    addOn->Release();
}

TEST_P(ViewAddOnLibrary, AWindowThatOutlivesItsAddOnNamesNoAddOn)
{
    const ViewLibrary& library = GetParam();
    IGenericEditorPluginInterface* addOn = m_factory();
    QPointer<QWidget> window = addOn->GP_create(library.sampleId, nullptr);
    ASSERT_TRUE(window);
    IEditorExtensions* extensions = addOn->GP_extension(window, nullptr);
    ASSERT_NE(extensions, nullptr);
    EXPECT_EQ(addOn->Release(), 0u);

    IGenericEditorPluginInterface* owner = addOn;
    EXPECT_EQ(extensions->EX_module(&owner), NS_MPStatus::failure);
    EXPECT_EQ(owner, nullptr);
    ServerLog api;
    EXPECT_EQ(extensions->EX_postInitialize(&api), NS_MPStatus::ok);
    window->show();
    window->close();
    flushDeletes();
    delete window.data();
}

INSTANTIATE_TEST_SUITE_P(Views, ViewAddOnLibrary, ::testing::ValuesIn(kViewLibraries));
