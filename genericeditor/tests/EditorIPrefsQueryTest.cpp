// Preferences answer their defaults, stream only the values set, and reach the host
// and the user-interface server through their owner.
#include "genericeditor/EditorIPrefsQuery_VANTREL_KXE.h"
#include "FakeHost.h"
#include <QBuffer>
#include <QDataStream>
#include <gtest/gtest.h>

namespace {

class FakeOwner : public IPrefsOwner_VANTREL_KXE
{
public:
    IUnknown* host = nullptr;
    IUnknown* prefsHost() override { return host; }
    IClientServices* prefsClientServices() override { return nullptr; }
};

QByteArray written(EditorIPrefsQuery_VANTREL_KXE& prefs)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    EXPECT_EQ(prefs.writeToStream(out), 0);
    return bytes;
}

} // namespace

TEST(EditorIPrefsQuery, FreshObjectAnswersItsDefaults)
{
    EditorIPrefsQuery_VANTREL_KXE prefs(nullptr);
    EXPECT_EQ(prefs.getProperty(0), QVariant(0));
    for (int id : {1, 2, 3, 4, 10})
        EXPECT_EQ(prefs.getProperty(id), QVariant(1)) << id;
    EXPECT_EQ(prefs.getProperty(8).toString(), QStringLiteral("{00000000-0000-0000-0000-000000000000}"));
    EXPECT_TRUE(prefs.getGUID(true).isNull());
    EXPECT_TRUE(prefs.getGUID(false).isNull());
    EXPECT_FALSE(prefs.getProperty(7).isValid());
    EXPECT_FALSE(prefs.propertyValueAvailable(3));
}

TEST(EditorIPrefsQuery, SetValueWinsOverDefaultAndPortTextGivesTheIdentifier)
{
    EditorIPrefsQuery_VANTREL_KXE prefs(nullptr);
    const QUuid port = QUuid::createUuid();
    EXPECT_EQ(prefs.setProperty(9, port.toString()), 0);
    EXPECT_EQ(prefs.getGUID(true), port);
    EXPECT_EQ(prefs.setProperty(3, 0), 0);
    EXPECT_EQ(prefs.getProperty(3), QVariant(0));
    QVariant out;
    EXPECT_TRUE(prefs.propertyValueAvailable(3, &out));
    EXPECT_EQ(out, QVariant(0));
    EXPECT_EQ(prefs.getDefault(3), QVariant(1));
}

TEST(EditorIPrefsQuery, StreamRoundTripCarriesOnlyTheValuesSet)
{
    EditorIPrefsQuery_VANTREL_KXE prefs(nullptr);
    prefs.setProperty(0, 5);
    prefs.setProperty(516, 120);
    const QByteArray bytes = written(prefs);

    // uint32 count, then the pairs in ascending property number.
    QDataStream check(bytes);
    quint32 count = 0;
    qint32 first = -1;
    check >> count >> first;
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(first, 0);

    EditorIPrefsQuery_VANTREL_KXE restored(nullptr);
    restored.setProperty(4, 9); // replaced by what is read
    QDataStream in(bytes);
    EXPECT_EQ(restored.readFromStream(in), 0);
    EXPECT_EQ(restored.getProperty(0), QVariant(5));
    EXPECT_EQ(restored.getProperty(516), QVariant(120));
    EXPECT_FALSE(restored.propertyValueAvailable(4));
    EXPECT_EQ(restored.getProperty(4), QVariant(1)) << "defaults are never streamed";
    EXPECT_EQ(restored.getProperty(1), QVariant(1));
}

TEST(EditorIPrefsQuery, StreamThatEndsEarlyKeepsThePairsReadSoFar)
{
    EditorIPrefsQuery_VANTREL_KXE prefs(nullptr);
    prefs.setProperty(0, 5);
    prefs.setProperty(519, 3);
    QByteArray bytes = written(prefs);
    bytes.chop(2); // into the second value

    EditorIPrefsQuery_VANTREL_KXE restored(nullptr);
    QDataStream in(bytes);
    EXPECT_EQ(restored.readFromStream(in), 0);
    EXPECT_EQ(restored.getProperty(0), QVariant(5));
    EXPECT_FALSE(restored.propertyValueAvailable(519));

    EditorIPrefsQuery_VANTREL_KXE empty(nullptr);
    QByteArray nothing;
    QDataStream none(nothing);
    EXPECT_EQ(empty.readFromStream(none), 0);
    EXPECT_EQ(empty.getProperty(0), QVariant(0));
}

TEST(EditorIPrefsQuery, ClientInfoNeedsTheHostAndUiStateNeedsTheServer)
{
    IMPClientInfo* info = reinterpret_cast<IMPClientInfo*>(0x1);
    EditorIPrefsQuery_VANTREL_KXE orphan(nullptr);
    EXPECT_EQ(orphan.getClientInfo(&info), NS_MPStatus::failure);

    FakeOwner owner;
    EditorIPrefsQuery_VANTREL_KXE prefs(&owner);
    EXPECT_EQ(prefs.getClientInfo(&info), NS_MPStatus::failure) << "before MPConnect";

    FakeHost host;
    FakeCounted<IMPClientInfo> clientInfo;
    host.clientInfo = &clientInfo;
    owner.host = &host;
    EXPECT_EQ(prefs.getClientInfo(nullptr), NS_MPStatus::failure);
    EXPECT_EQ(prefs.getClientInfo(&info), 0);
    EXPECT_EQ(info, &clientInfo);
    EXPECT_EQ(clientInfo.refs(), 1);
    info->Release();

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    EXPECT_EQ(prefs.writeUIPrefsToStream(out), NS_MPStatus::failure);
    EXPECT_EQ(prefs.readUIPrefsFromStream(out), NS_MPStatus::failure);
}
