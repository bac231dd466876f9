// The shell's add-on object made directly: aggregated under an outer object, counted
// with registration in the plug-in service, and the helper that gives a view's parts
// their server channels.
#include "addons/shell/EX_postInitializeHelper.h"
#include "addons/shell/TTovarAddOn.h"
#include "memapi/tests/fakes/FakeMemAPI.h"
#include "platform/PlatformPlugInRegistry.h"
#include <QWidget>
#include <gtest/gtest.h>

namespace {

int g_liveTestAddOns = 0;

class TestAddOn final : public TTovarAddOn
{
public:
    TestAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration)
        : TTovarAddOn(outer, factoryId, registration)
    {
        ++g_liveTestAddOns;
    }
    ~TestAddOn() override { --g_liveTestAddOns; }
    Y_GUID moduleGuid() const override { return NS_AddOnIds::LayerAddOn; }
    const char* traceName() const override { return "TestAddOn"; }
    int GP_editorCount(int32_t*) override { return 0; }
    TGP_Information* GP_inforamtion(int, int32_t*) override { return nullptr; }
    QWidget* GP_create(int, int32_t*) override { return nullptr; }

protected:
    IEditorExtensions* extensionsOfView(QObject*) const override { return nullptr; }
};

// An outer object whose first data word, where a count would sit, stays 0: the inner
// object must forward to it all the same and never decide from that word.
class Outer final : public IUnknown
{
public:
    int32_t firstWord = 0;
    int queries = 0;
    int addRefs = 0;
    int releases = 0;

    int32_t QueryInterface(const Y_GUID&, void** out) override
    {
        ++queries;
        *out = this;
        return NS_MPStatus::ok;
    }
    uint32_t AddRef() override { return uint32_t(++addRefs + 40); }
    uint32_t Release() override { return uint32_t(++releases + 50); }
};

// Children that are the view's parts, whatever their depth.
class ChannelStrip : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

class ServerLog : public FakeMemAPI
{
public:
    int32_t MAPI_assignServer(QObject* root, int channel) override
    {
        servers.push_back({root, channel});
        return 0;
    }
    std::vector<std::pair<QObject*, int>> servers;
};

} // namespace

TTovarAddOn* NS_AddOnShell::makeAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration)
{
    return new TestAddOn(outer, factoryId, registration);
}

TEST(AddOnShell, AnAggregatedAddOnCountsOnItsOuterAndGoesThroughItsOwnCount)
{
    Outer outer;
    auto* addOn = new TestAddOn(&outer, NS_HostIds::IID_IUnknown, false);
    void* out = nullptr;
    EXPECT_EQ(addOn->QueryInterface(NS_HostIds::IID_IGenericEditorPluginInterface, &out), NS_MPStatus::ok);
    EXPECT_EQ(out, &outer);
    EXPECT_EQ(addOn->AddRef(), 41u);
    // The outer is at "0" by its first word; the release is still the outer's.
    EXPECT_EQ(addOn->Release(), 51u);
    EXPECT_EQ(addOn->Release(), 52u);
    EXPECT_EQ((std::tuple{outer.queries, outer.addRefs, outer.releases}), (std::tuple{1, 1, 2}));
    EXPECT_EQ(outer.firstWord, 0);
    EXPECT_EQ(g_liveTestAddOns, 1) << "an outer's release deleted the inner object";

    // The outer's own hold: the non-delegating pair, which never touches the outer.
    EXPECT_EQ(addOn->NonDelegatingQueryInterface(NS_HostIds::IID_IUnknown, &out), NS_MPStatus::ok);
    EXPECT_EQ(out, static_cast<IGenericEditorPluginInterface*>(addOn));
    EXPECT_EQ(addOn->NonDelegatingQueryInterface(NS_MemAPI::iidIMemAPI(), &out), NS_MPStatus::noInterface);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(addOn->NonDelegatingRelease(), 1u);
    EXPECT_EQ(addOn->NonDelegatingRelease(), 0u);
    EXPECT_EQ(g_liveTestAddOns, 0);
    EXPECT_EQ(outer.releases, 2);
}

TEST(AddOnShell, ARegisteredAddOnCountsAsAnInstanceOfItsFactoryUntilItsLastRelease)
{
    const Y_GUID factory = MPGuidFromText(0x6B1D0C2E, 0x11AA, 0x4B0C, 0x9E, 0x21, 0x0A, 0x5C, 0x3E, 0x77, 0x10, 0x42);
    const QUuid id = Guid2QUuid(factory);
    const int before = NS_Platform::PlatformPlugInRegistry::instanceCount(id);
    auto* registered = new TestAddOn(nullptr, factory, true);
    auto* plain = new TestAddOn(nullptr, factory, false);
    EXPECT_EQ(NS_Platform::PlatformPlugInRegistry::instanceCount(id), before + 1);
    EXPECT_EQ(registered->AddRef(), 2u);
    EXPECT_EQ(registered->Release(), 1u);
    EXPECT_EQ(NS_Platform::PlatformPlugInRegistry::instanceCount(id), before + 1);
    EXPECT_EQ(registered->Release(), 0u);
    EXPECT_EQ(plain->Release(), 0u);
    EXPECT_EQ(NS_Platform::PlatformPlugInRegistry::instanceCount(id), before);
    EXPECT_EQ(g_liveTestAddOns, 0);
}

TEST(AddOnShell, PartsGetTheirServerChannelsInCreationOrder)
{
    QWidget view;
    auto* first = new ChannelStrip(&view);
    auto* box = new QWidget(&view);
    auto* nested = new ChannelStrip(box);
    new QWidget(&view);
    auto* last = new ChannelStrip(&view);

    struct Case
    {
        int16_t firstChannel;
        int step;
        std::vector<int> channels;
    };
    for (const Case& c : {Case{0, 1, {0, 1, 2}}, Case{4, 3, {4, 7, 10}}}) {
        ServerLog api;
        EX_postInitializeHelper(&view, &api, "ChannelStrip", c.firstChannel, c.step, nullptr);
        ASSERT_EQ(api.servers.size(), 3u);
        const QObject* order[] = {first, nested, last};
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(api.servers[i].first, order[i]);
            EXPECT_EQ(api.servers[i].second, c.channels[i]);
        }
    }

    ServerLog api;
    const QObjectList chosen{last, first};
    EX_postInitializeHelper(&view, &api, "ChannelStrip", 2, 1, &chosen);
    ASSERT_EQ(api.servers.size(), 2u);
    EXPECT_EQ(api.servers[0], (std::pair<QObject*, int>{last, 2}));
    EXPECT_EQ(api.servers[1], (std::pair<QObject*, int>{first, 3}));
    // Without a memory API there is nothing to bind to: a call made through the null
    // pointer would end the test here, sanitizers or not.
    EX_postInitializeHelper(&view, static_cast<IMemAPI*>(nullptr), "ChannelStrip", 0, 1, nullptr);
}

#include "AddOnShellTest.moc"
