// A minimal add-on for the discovery and lifecycle tests: one object per factory call,
// counted, and the thread it was made on.
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include <QThread>
#include <atomic>

namespace {
std::atomic<int> g_live{0};
std::atomic<QThread*> g_madeOn{nullptr};

class TestAddOn final : public IGenericEditorPluginInterface
{
public:
    TestAddOn() { ++g_live; g_madeOn = QThread::currentThread(); }
    ~TestAddOn() override { --g_live; }

    int32_t QueryInterface(const Y_GUID& iid, void** out) override
    {
        if (iid == NS_HostIds::IID_IUnknown || iid == NS_HostIds::IID_IGenericEditorPluginInterface) {
            AddRef();
            *out = this;
            return 0;
        }
        *out = nullptr;
        return NS_MPStatus::noInterface;
    }
    uint32_t AddRef() override { return ++m_refs; }
    uint32_t Release() override
    {
        const uint32_t left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

    int32_t GP_initialize(IMemAPI*, IClientServices*) override { return 0; }
    int32_t GP_terminate() override { return 0; }
    int GP_editorCount(int32_t* status) override
    {
        if (status)
            *status = 0;
        return 0;
    }
    TGP_Information* GP_inforamtion(int, int32_t* status) override
    {
        if (status)
            *status = NS_MPStatus::invalidArgument;
        return nullptr;
    }
    int32_t GP_releaseInformation(TGP_Information*) override { return 0; }
    QWidget* GP_create(int, int32_t* status) override
    {
        if (status)
            *status = NS_MPStatus::invalidArgument;
        return nullptr;
    }
    IEditorExtensions* GP_extension(QWidget*, int32_t* status) override
    {
        if (status)
            *status = NS_MPStatus::invalidArgument;
        return nullptr;
    }

private:
    std::atomic<uint32_t> m_refs{1};
};
} // namespace

extern "C" __attribute__((visibility("default"))) IGenericEditorPluginInterface*
tovar_vantrel_kxe_factory()
{
    return new TestAddOn;
}

// Objects of this copy of the library still alive.
extern "C" __attribute__((visibility("default"))) int test_addon_live_count()
{
    return g_live.load();
}

// The thread the last object of this copy was made on.
extern "C" __attribute__((visibility("default"))) QThread* test_addon_made_on()
{
    return g_madeOn.load();
}
