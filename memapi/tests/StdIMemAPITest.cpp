#include "fakes/FakeMemAPI.h"
#include "utilities/interfaces/IPrefsQuery_VANTREL_KXE.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QMdiArea>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

using namespace NS_MemAPI;

namespace {
class Prefs : public IPrefsQuery_VANTREL_KXE
{
public:
    explicit Prefs(int device) : m_device(device) {}
    QVariant getProperty(int id) const override { return id == 0 ? QVariant(m_device) : QVariant(); }
    QUuid getGUID(bool) const override { return {}; }
    int32_t setProperty(int, const QVariant&) override { return 0; }
    int32_t getClientInfo(IMPClientInfo**) override { return 0; }
    int32_t writeToStream(QDataStream&) override { return 0; }
    int32_t readFromStream(QDataStream&) override { return 0; }
    int32_t writeUIPrefsToStream(QDataStream&) override { return 0; }
    int32_t readUIPrefsFromStream(QDataStream&) override { return 0; }

private:
    int m_device;
};

class Companion : public QObject
{
    Q_OBJECT
public:
    void fire(int v) { emit changed(v); }
    int slotValue = -1;
signals:
    void changed(int value);
public slots:
    void take(int value) { slotValue = value; }
};

class Listener : public QObject
{
    Q_OBJECT
public:
    int received = -1;
    void fire(int v) { emit ping(v); }
signals:
    void ping(int value);
public slots:
    void onChanged(int value) { received = value; }
};
} // namespace

TEST(StdIMemAPI, ErrorCodeTextIsUnsignedHexAndNullTextFails)
{
    FakeMemAPI api;
    QString text;
    EXPECT_EQ(api.MAPI_translateErrorCode(kFailure, &text), 0);
    EXPECT_EQ(text, "error code:0x80000008");
    EXPECT_EQ(api.MAPI_translateErrorCode(255, &text), 0);
    EXPECT_EQ(text, "error code:0xff");
    EXPECT_EQ(api.MAPI_translateErrorCode(1, nullptr), kFailure);
}

TEST(StdIMemAPI, SuspensionNestsAndClosingLatches)
{
    FakeMemAPI api;
    EXPECT_EQ(api.MAPI_suspended(), kFailure);
    api.MAPI_suspendNotifications(true);
    api.MAPI_suspendNotifications(true);
    api.MAPI_suspendNotifications(false);
    EXPECT_EQ(api.MAPI_suspended(), 0);
    EXPECT_EQ(api.MAPI_blocked(), 0);
    api.MAPI_suspendNotifications(false);
    EXPECT_EQ(api.MAPI_blocked(), kFailure);

    EXPECT_EQ(api.MAPI_closingDown(false), kFailure);
    EXPECT_EQ(api.MAPI_closingDown(true), 0);
    EXPECT_EQ(api.MAPI_closingDown(false), 0);
}

TEST(StdIMemAPI, AssociateClampsTheDeviceNumberAndRefusesOtherIndexes)
{
    FakeMemAPI api;
    Prefs nine(9), five(5);
    EXPECT_EQ(api.MAPI_associate(nullptr, &nine, 0, nullptr), 0);
    EXPECT_EQ(api.deviceNumber(), 0);
    EXPECT_EQ(api.MAPI_associate(nullptr, &five, 0, nullptr), 0);
    EXPECT_EQ(api.deviceNumber(), 5);
    EXPECT_EQ(api.MAPI_prefs(), &five);
    EXPECT_EQ(api.MAPI_associate(nullptr, &nine, 1, nullptr), kInvalidArgument);
    EXPECT_EQ(api.MAPI_prefs(), &five);
    EXPECT_EQ(api.MAPI_ioProxy(1), nullptr);
}

TEST(StdIMemAPI, EditorAssociationsAndFixedAnswers)
{
    FakeMemAPI api;
    QUuid id;
    int value = 7;
    EXPECT_EQ(api.MAPI_getAssociatedEditor(1, 2, 3, 4, id, value), 0);
    EXPECT_TRUE(id.isNull());
    EXPECT_EQ(value, 0);
    const QUuid stored = QUuid::createUuid();
    api.MAPI_associateEditor(1, 2, 3, 4, stored, 9);
    api.MAPI_getAssociatedEditor(1, 2, 3, 4, id, value);
    EXPECT_EQ(id, stored);
    EXPECT_EQ(value, 9);
    EXPECT_NE(StdIMemAPI::editorKey(1, 2, 3, 4), StdIMemAPI::editorKey(12, 3, 4, 0));
    api.MAPI_getAssociatedEditor(12, 3, 4, 0, id, value);
    EXPECT_TRUE(id.isNull());

    QStringList list{"x"};
    EXPECT_EQ(api.MAPI_stringList(1, &list), kNotImplemented);
    EXPECT_EQ(list.size(), 1);
    EXPECT_EQ(api.MAPI_online(), 1u);
    int32_t status = 0;
    EXPECT_EQ(api.MAPI_workspace(&status), nullptr);
    EXPECT_EQ(status, kFailure);
    {
        QMdiArea area;
        api.MAPI_setWorkspace(&area);
        EXPECT_EQ(api.MAPI_workspace(&status), &area);
        EXPECT_EQ(status, 0);
    }
    EXPECT_EQ(api.MAPI_workspace(nullptr), nullptr); // guarded
    bool a = false, b = false;
    EXPECT_EQ(api.StdIMemAPI::MAPI_getIndParamEditState(0, 0, 0, a, b), kFailure);
    EXPECT_TRUE(a && b);
}

TEST(StdIMemAPI, TryLockFailsWhileAnotherThreadHoldsTheLock)
{
    FakeMemAPI api;
    api.MAPI_lock(true);
    int32_t other = 0;
    std::thread t([&] { other = api.MAPI_tryLock(); });
    t.join();
    EXPECT_EQ(other, kFailure);
    EXPECT_EQ(api.MAPI_tryLock(), 0); // recursive on the same thread
    api.MAPI_lock(false);
    api.MAPI_lock(false);
}

TEST(StdIMemAPI, ConnectsAndDisconnectsCompanionSignalsAndSlotsByName)
{
    FakeMemAPI api;
    auto* companion = new Companion;
    api.setCompanion(companion);
    Listener listener;
    EXPECT_EQ(api.MAPI_signalSlot(SIGNAL(changed(int)), &listener, SLOT(onChanged(int)), true), 0);
    companion->fire(4);
    EXPECT_EQ(listener.received, 4);
    EXPECT_EQ(api.MAPI_signalSlot(SIGNAL(changed(int)), &listener, SLOT(onChanged(int)), false), 0);
    companion->fire(5);
    EXPECT_EQ(listener.received, 4);
    EXPECT_EQ(api.MAPI_signalSlot(SIGNAL(noSuchSignal()), &listener, SLOT(onChanged(int)), true),
              kFailure);

    EXPECT_EQ(api.MAPI_slotSignal(SLOT(take(int)), &listener, SIGNAL(ping(int)), true), 0);
    listener.fire(8);
    EXPECT_EQ(companion->slotValue, 8);
    EXPECT_EQ(api.MAPI_slotSignal(SLOT(take(int)), &listener, SIGNAL(ping(int)), false), 0);
    listener.fire(9);
    EXPECT_EQ(companion->slotValue, 8);
}

TEST(StdIMemAPI, BlinkTimerTogglesTheBlinkStateEvery512Ms)
{
    FakeMemAPI api;
    api.setCompanion(new QObject);
    bool state = true;
    QTimer* timer = api.MAPI_blinkingTimer(&state, nullptr);
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(state);
    EXPECT_EQ(timer->interval(), 512);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->parent(), api.MAPI_qself());
    EXPECT_EQ(api.MAPI_blinkingTimer(nullptr, nullptr), timer);
    QMetaObject::invokeMethod(timer, "timeout");
    api.MAPI_blinkingTimer(&state, nullptr);
    EXPECT_TRUE(state);
}

#include "StdIMemAPITest.moc"
