#include "fakes/FakeMemAPI.h"
#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "memapi/TNameObserver_VANTREL_KXE.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
class NameObserver : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server = CAppServer::Instance();
        api.defineName("kCommMultiName1", 54, 0);
        api.enableWorker();
    }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents();
        server->release();
    }
    CAppServer* server = nullptr;
    FakeMemAPI api;
};
} // namespace

TEST(NameObserverPacking, PianoPacksIntoFourWordsAndBack)
{
    const QVector<int32_t> words = TNameObserver_VANTREL_KXE::pack("Piano", 4);
    ASSERT_EQ(words.size(), 4);
    EXPECT_EQ(uint32_t(words[0]), 0x5069616Eu); // "Pian"
    EXPECT_EQ(uint32_t(words[1]), 0x6F202020u); // "o   "
    EXPECT_EQ(uint32_t(words[2]), 0x20202020u);
    EXPECT_EQ(uint32_t(words[3]), 0x20202020u);
    EXPECT_EQ(TNameObserver_VANTREL_KXE::unpack(words), QString("Piano           "));

    const QVector<int32_t> wide = TNameObserver_VANTREL_KXE::pack(QString::fromUtf8("Ab\u20ACd"), 1);
    EXPECT_EQ(uint32_t(wide[0]), 0x41620064u);
    EXPECT_EQ(TNameObserver_VANTREL_KXE::unpack(wide), QString("Ab")); // zero ends the group
}

TEST_F(NameObserver, FirstNotificationEmitsTheStoredName)
{
    const QVector<int32_t> words = TNameObserver_VANTREL_KXE::pack("Strings", 4);
    for (int i = 0; i < 4; ++i)
        api.poke(54, short(i), 0, words[i]);
    QLineEdit editor;
    auto* observer = TNameObserver_VANTREL_KXE::CreateAndConnect(&editor, "00kCommMultiName1", true);
    QSignalSpy spy(observer, qOverload<const QString&>(&TNameObserver_VANTREL_KXE::nameChange));
    api.MAPI_assignServer(&editor, 0);
    QCoreApplication::sendPostedEvents(CAppServer::MS());
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).toString(), "Strings         ");
    EXPECT_EQ(editor.text(), "Strings         ");
}

TEST_F(NameObserver, SetNameWritesFourValuesAndObservesExactlyTheParametersItReads)
{
    QLineEdit editor;
    auto* observer = TNameObserver_VANTREL_KXE::CreateAndConnect(&editor, "00kCommMultiName1", true);
    api.MAPI_assignServer(&editor, 0);
    QCoreApplication::sendPostedEvents(CAppServer::MS());

    editor.setText("Piano");
    emit editor.returnPressed();
    EXPECT_EQ(observer->name(), "Piano");
    EXPECT_EQ(uint32_t(api.peek(54, 0, 0)), 0x5069616Eu);
    EXPECT_EQ(uint32_t(api.peek(54, 1, 0)), 0x6F202020u);
    EXPECT_EQ(uint32_t(api.peek(54, 3, 0)), 0x20202020u);
    EXPECT_EQ(api.writes.size(), 4);

    // A change of the fourth word (parameter 3) reaches the observer; parameter 4 does not.
    QSignalSpy spy(observer, qOverload<const QString&>(&TNameObserver_VANTREL_KXE::nameChange));
    api.MAPI_setIndParam(54, 3, 0, 0x21212121, 0, IMemAPI::PostSetDirtyFlags);
    QCoreApplication::sendPostedEvents(CAppServer::MS());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).toString(), "Piano       !!!!");
    EXPECT_FALSE(api.alert(54, 4, 0));

    // A short name is refused by an observer of four parameters.
    observer->setShortName("Pad");
    EXPECT_EQ(observer->name(), "Piano       !!!!");
}
