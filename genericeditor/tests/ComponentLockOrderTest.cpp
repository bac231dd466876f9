// The component mutex comes before the memory-API lock, never after it. Each case holds
// the component mutex on one thread, as a disconnect does while it waits for the
// memory-API lock, and runs on the other thread work that takes the memory-API lock:
// that work must finish while the mutex is held. A thread that needed the mutex under
// the lock would wait for the holder, which waits for it: the holder's bounded wait
// then reports the deadlock and lets go, so that the suite goes on.
#include "ComponentFakes.h"
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/TAddOnDescriptor.h"
#include "genericeditor/TCompIMPInitialisePrivate.h"
#include "host/SubstituteHost.h"
#include <QCoreApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace {

// Generous: a pass takes milliseconds, only a deadlock waits this long.
constexpr auto kDeadlockBound = std::chrono::seconds(10);
// A user-interface event no add-on acts on.
constexpr unsigned kHoldEvent = 77;

void pumpToolkit()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// An add-on with no editors whose user-interface event runs `whileHeld`: the component
// calls it with its mutex held.
class HoldingAddOn : public ViewAddOn
{
public:
    HoldingAddOn() { editorCount = 0; }
    std::function<void()> whileHeld;
    int32_t GP_uiEvent(unsigned int event) override
    {
        if (event == kHoldEvent && whileHeld)
            whileHeld();
        return 0;
    }
};

// What the two threads tell each other.
struct Handshake
{
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    bool finished = false;

    void set(bool Handshake::*flag)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            this->*flag = true;
        }
        changed.notify_all();
    }
    bool waitFor(bool Handshake::*flag)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kDeadlockBound, [&] { return this->*flag; });
    }
};

class ComponentLockOrder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_options.factory = &MacLoaderFactory;
        m_options.simulatorName =
            QStringLiteral("TOVAR-VANTREL lock order %1").arg(QCoreApplication::applicationPid());
        m_options.settleMs = 100;
        m_live = CompIMPInitialise_VANTREL_KXE::liveCount();
        m_host = std::make_unique<NS_Host::SubstituteHost>(m_options);
        m_host->setIdleHook(&pumpToolkit);
        ASSERT_TRUE(m_host->start()) << qPrintable(m_host->error());
        m_component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(m_host->component());
        ASSERT_NE(m_component, nullptr);
        m_server = m_component->uiServer();
        ASSERT_NE(m_server, nullptr);
        m_api = m_component->memAPI();
        ASSERT_NE(m_api, nullptr);
        m_holder.AddRef(); // the descriptor's reference
        m_component->modules().add(std::make_unique<TAddOnDescriptor>(QDir(), nullptr, &m_holder));
    }
    void TearDown() override
    {
        if (m_host) {
            m_host->stop(false);
            m_host.reset();
        }
        QElapsedTimer clock;
        clock.start();
        while (CompIMPInitialise_VANTREL_KXE::liveCount() > m_live && clock.elapsed() < 5000)
            pumpToolkit();
    }

    // Holds the component mutex on one thread while `work` runs on the other; true when
    // the work finished while it was held. The holder then takes the memory-API lock,
    // as the disconnect does.
    bool finishesWhileTheComponentIsHeld(bool workOnHostThread, const std::function<void()>& work)
    {
        Handshake shake;
        bool inTime = false;
        if (workOnHostThread) {
            std::thread worker;
            m_holder.whileHeld = [&] {
                worker = std::thread([&] {
                    work();
                    shake.set(&Handshake::finished);
                });
                inTime = shake.waitFor(&Handshake::finished);
                if (inTime) {
                    m_api->MAPI_lock(true);
                    m_api->MAPI_lock(false);
                }
            };
            m_component->doNotifyAboutUIEvent(kHoldEvent);
            worker.join();
        } else {
            m_holder.whileHeld = [&] {
                shake.set(&Handshake::held);
                inTime = shake.waitFor(&Handshake::finished);
                if (inTime) {
                    m_api->MAPI_lock(true);
                    m_api->MAPI_lock(false);
                }
            };
            std::thread holder([&] { m_component->doNotifyAboutUIEvent(kHoldEvent); });
            EXPECT_TRUE(shake.waitFor(&Handshake::held));
            work();
            shake.set(&Handshake::finished);
            holder.join();
        }
        m_holder.whileHeld = nullptr;
        return inTime;
    }

    QTemporaryDir m_dir;
    HoldingAddOn m_holder; // outlives the component, which holds it in its list
    NS_Host::HostOptions m_options;
    std::unique_ptr<NS_Host::SubstituteHost> m_host;
    CompIMPInitialise_VANTREL_KXE* m_component = nullptr;
    CUserInterfaceServer_VANTREL_KXE* m_server = nullptr;
    IMemAPI* m_api = nullptr;
    int m_live = 0;
};

} // namespace

TEST_F(ComponentLockOrder, WorkUnderTheMemoryApiLockNeverWaitsForTheComponent)
{
    QByteArray document;
    {
        QDataStream out(&document, QIODevice::WriteOnly);
        ASSERT_EQ(m_api->MAPI_saveViaStream(out), 0);
    }

    struct Case
    {
        const char* name;
        bool onHostThread;
        std::function<void()> work;
    };
    int32_t loaded = -1, saved = -1;
    QPointer<QWidget> closed;
    const Case cases[] = {
        // The load reads the user-interface state and selects the saved ports on bridge 0.
        {"a document load on a host thread", true,
         [&] {
             QDataStream in(document);
             loaded = m_api->MAPI_loadViaStream(in);
         }},
        // The save writes the user-interface state of the open windows.
        {"a document save on a host thread", true,
         [&] {
             QByteArray bytes;
             QDataStream out(&bytes, QIODevice::WriteOnly);
             saved = m_api->MAPI_saveViaStream(out);
         }},
        // The window's deletion holds the lock from its deferred delete to its destroyed().
        {"an editor window closed and deleted on the GUI thread", false,
         [&] {
             m_server->doCloseWindow(closed);
             QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget* window = nullptr;
        ASSERT_EQ(m_server->CS_openEditor(Guid2QUuid(NS_AddOnIds::PartDetailAddOn), 5, &window, nullptr, true), 0);
        ASSERT_NE(window, nullptr);
        closed = window;
        pumpToolkit();
        EXPECT_TRUE(finishesWhileTheComponentIsHeld(c.onHostThread, c.work))
            << "deadlock: the work waited for the component mutex under the memory-API lock";
        EXPECT_EQ(m_server->locksHeldForDeletion(), 0);
        if (closed)
            m_server->doCloseWindow(closed);
        pumpToolkit();
        EXPECT_TRUE(closed.isNull());
    }
    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(saved, 0);
    // The lock is free again for anyone.
    EXPECT_EQ(m_api->MAPI_tryLock(), 0);
    m_api->MAPI_lock(false);
}

// The server runs the event loop with its takes of the memory-API lock let go: a release
// posted meanwhile waits for the pump's batch, which needs that lock. A call delivered
// at every turn of the loop during the reopening of the saved windows finds the lock
// free for another thread.
TEST_F(ComponentLockOrder, EventsTheServerProcessesFindTheMemoryApiLockFree)
{
    bool reopening = true;
    int delivered = 0, underTheLock = 0;
    std::function<void()> probe = [&] {
        if (!reopening)
            return;
        ++delivered;
        std::thread other([&] {
            if (m_api->MAPI_tryLock() != 0)
                ++underTheLock;
            else
                m_api->MAPI_lock(false);
        });
        other.join();
        QMetaObject::invokeMethod(QCoreApplication::instance(), probe, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(QCoreApplication::instance(), probe, Qt::QueuedConnection);
    m_server->UI_triggerSavedUILoading(true);
    reopening = false;
    pumpToolkit();
    EXPECT_GT(delivered, 1);
    EXPECT_EQ(underTheLock, 0) << "events delivered while the GUI thread held the memory-API lock";
}
