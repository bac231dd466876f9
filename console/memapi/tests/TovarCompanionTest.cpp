// The GUI-thread companion: routing from other threads, coalescing, the dirty signal.
#include "MemApiTestSupport.h"
#include "appserver/CAppServer.h"
#include "console/model/EditorBlk.h"
#include "console/model/PrmCtrl.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

namespace {

class Companion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server = CAppServer::Instance();
        companion = api->qself();
        ASSERT_NE(companion, nullptr);
    }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents();
        server->release();
    }
    template <typename Fn>
    void offThread(Fn fn)
    {
        std::thread t(fn);
        t.join();
    }
    void settle()
    {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }

    CAppServer* server = nullptr;
    ApiHandle api;
    TovarIMemAPIQObject_VANTREL_KXE* companion = nullptr;
};

} // namespace

TEST_F(Companion, TenNotifyAllCallsFromAnotherThreadNotifyObserversOnce)
{
    auto* n = CSimpleNotifier_VANTREL_KXE::Create(*api.api, nullptr, QStringLiteral("FEkMixPart/kPartPan"), 3,
                                                  nullptr, new CSimpleNotifier_VANTREL_KXE(nullptr));
    std::unique_ptr<CSimpleNotifier_VANTREL_KXE> owner(n);
    n->setAlwaysUpdate(true);
    QSignalSpy spy(n, &CSimpleNotifier_VANTREL_KXE::valueChanged);
    offThread([this] {
        for (int i = 0; i < 10; ++i)
            companion->NotifyAll();
    });
    EXPECT_EQ(companion->notifyPending(), 0);
    settle();
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(companion->notifyPending(), -1);
}

TEST_F(Companion, SurfaceFocusFromAnotherThreadCoalescesToTheLatestTriple)
{
    QSignalSpy spy(companion, &TovarIMemAPIQObject_VANTREL_KXE::remoteControlFocus);
    offThread([this] {
        companion->internalRemoteControlFocus(55, 1, 14);
        companion->internalRemoteControlFocus(55, 2, 13);
    });
    settle();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 55);
    EXPECT_EQ(spy.at(0).at(1).toInt(), 2);
    EXPECT_EQ(spy.at(0).at(2).toInt(), 13);
    // On the GUI thread it is emitted at once.
    companion->internalRemoteControlFocus(54, 0, 67);
    EXPECT_EQ(spy.count(), 2);
}

TEST_F(Companion, FocusRequestsRacingTheDeliveryAreNeverLost)
{
    QSignalSpy spy(companion, &TovarIMemAPIQObject_VANTREL_KXE::remoteControlFocus);
    std::atomic<bool> done{false};
    std::thread surface([&] {
        for (int i = 0; i < 3000; ++i) {
            companion->internalRemoteControlFocus(55, i % 16, i);
            if (i % 64 == 0)
                QThread::yieldCurrentThread();
        }
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents();
    surface.join();
    settle();
    ASSERT_GE(spy.count(), 1);
    // The last request is always the last one delivered.
    EXPECT_EQ(spy.last().at(2).toInt(), 2999);
    EXPECT_EQ(companion->remoteFocusPending(), -1);
}

TEST_F(Companion, DirtyEmitsOnChangeOnlyAfterUnlockingAndQueuesFromOtherThreads)
{
    QSignalSpy spy(companion, &TovarIMemAPIQObject_VANTREL_KXE::onDirty);
    bool unlockedWhenEmitted = false;
    QThread* emittedOn = nullptr;
    QObject::connect(companion, &TovarIMemAPIQObject_VANTREL_KXE::onDirty, companion, [&](bool) {
        unlockedWhenEmitted = companion->m_mutex.tryLock();
        if (unlockedWhenEmitted)
            companion->m_mutex.unlock();
        emittedOn = QThread::currentThread();
    });
    companion->dirty(true);
    companion->dirty(true);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(unlockedWhenEmitted);

    offThread([this] { companion->dirty(false); });
    EXPECT_FALSE(companion->editModified());
    EXPECT_EQ(spy.count(), 1);
    settle();
    ASSERT_EQ(spy.count(), 2);
    EXPECT_FALSE(spy.at(1).at(0).toBool());
    EXPECT_EQ(emittedOn, QCoreApplication::instance()->thread());
}

TEST_F(Companion, WindowRequestsMarkModifiedOrOpenAndCrossThreads)
{
    QSignalSpy open(companion, &TovarIMemAPIQObject_VANTREL_KXE::openGuiWindow);
    QSignalSpy dirty(companion, &TovarIMemAPIQObject_VANTREL_KXE::onDirty);
    companion->internalOpenGuiWindow(-1, -1, -1);
    EXPECT_EQ(open.count(), 0);
    EXPECT_EQ(dirty.count(), 1);
    EXPECT_TRUE(companion->editModified());

    offThread([this] { companion->internalOpenGuiWindow(3, 1, -1); });
    EXPECT_EQ(open.count(), 0);
    settle();
    ASSERT_EQ(open.count(), 1);
    EXPECT_EQ(open.at(0).at(0).toInt(), 3);
}

TEST_F(Companion, TimersAreDrivenOnTheGuiThreadFromAnyThread)
{
    companion->startTimer(nullptr, 100);
    companion->stopTimer(nullptr);
    QTimer timer(companion);
    companion->stopTimer(&timer); // not running: nothing
    offThread([&] { companion->startTimer(&timer, 10000); });
    EXPECT_FALSE(timer.isActive());
    settle();
    EXPECT_TRUE(timer.isActive());
    EXPECT_TRUE(timer.isSingleShot());
    offThread([&] { companion->stopTimer(&timer); });
    settle();
    EXPECT_FALSE(timer.isActive());
}

TEST_F(Companion, DocumentFrameAnswersAndLinkedSections)
{
    EXPECT_EQ(companion->DSL_moduleName(), QStringLiteral("Tovar Editor"));
    EXPECT_EQ(companion->DSL_hostAppName(), QStringLiteral("Tovar Editor Application Name"));
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    EXPECT_EQ(companion->DSL_saveViaStream(out, 0), 0);
    EXPECT_TRUE(bytes.isEmpty());

    const auto& sections = TovarIMemAPIQObject_VANTREL_KXE::linkedSections();
    EXPECT_EQ(sections.size(), 45u);
    const std::pair<const char*, const char*> firsts[] = {
        {"kNormalCommonExtra", "kNrmComVoiceName1"}, {"kNormalCommon", "kNrmComVolume"},
        {"kDrumKeyFilter", "kDrmKeyFilterCutoffFreq"}, {"kPluginNativeVL", "kPlgNtvVLFilterEQDepth"},
        {"kPluginAudition", "kPlgAudPhraseNumber"}};
    for (const auto& [key, first] : firsts) {
        const auto it = sections.find(QString::fromLatin1(key));
        ASSERT_NE(it, sections.end()) << key;
        ASSERT_FALSE(it->second.empty()) << key;
        EXPECT_STREQ(it->second.front().name, first);
    }
    // An unknown section sends nothing.
    FakePrefs prefs;
    FakeBridge bridge;
    api->MAPI_associate(&bridge, &prefs, 0, nullptr);
    companion->flushLinkedParam(QStringLiteral("kNoSuchSection"), 0);
    EXPECT_TRUE(bridge.messages().isEmpty());
}

TEST_F(Companion, FlushingALinkedSectionSendsEachOfItsParametersAgainInOrder)
{
    FakePrefs prefs;
    FakeBridge bridge;
    api->MAPI_associate(&bridge, &prefs, 0, nullptr);
    CPrmCtrl* multi = api->memory()->MultiMap();
    ASSERT_NE(multi, nullptr);
    const auto& sections = TovarIMemAPIQObject_VANTREL_KXE::linkedSections();
    for (const char* key : {"kNormalCommonReverb", "kNormalCommonChorus", "kDrumKeyEQ"}) {
        const auto it = sections.find(QString::fromLatin1(key));
        ASSERT_NE(it, sections.end()) << key;
        for (int part : {-1, 2}) {
            // The addresses the rows name, in the order they are listed.
            QList<QByteArray> want;
            for (const auto& row : it->second) {
                int element = row.element, channel = part < 0 ? 0 : part;
                if (element > 255) {
                    channel = element & 0xFF;
                    element >>= 8;
                }
                const unsigned char adrs[3] = {uint8_t(element), uint8_t(channel), uint8_t(row.parameter)};
                if (multi->EditorBlk().IsParam(0, adrs))
                    want.append(QByteArray(reinterpret_cast<const char*>(adrs), 3));
            }
            ASSERT_FALSE(want.isEmpty()) << key;
            bridge.clear();
            companion->flushLinkedParam(QString::fromLatin1(key), part);
            QList<QByteArray> sent;
            for (const QByteArray& m : bridge.messages()) {
                ASSERT_GE(m.size(), 9) << key;
                EXPECT_EQ(m.left(4).toHex(' '), QByteArray("f0 43 10 5c")) << key;
                EXPECT_EQ((unsigned char)m.back(), 0xF7) << key;
                sent.append(m.mid(4, 3));
            }
            EXPECT_EQ(sent, want) << key << " part " << part;
        }
    }
}
