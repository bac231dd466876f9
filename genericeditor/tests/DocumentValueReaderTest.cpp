// The values a project carries in its preferences and its user-interface state: flat
// values come back as written; a container, above all one nested thousands deep, is
// refused with the stream's error and nothing changed, also through the document
// stream as the host hands it over.
#include "console/memapi/TDocumentStreamHeader.h"
#include "console/memapi/tests/MemApiTestSupport.h"
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/EditorIPrefsQuery_VANTREL_KXE.h"

#include <QBuffer>
#include <QDataStream>
#include <QRect>
#include <QUuid>
#include <QVariant>
#include <gtest/gtest.h>

namespace {

// A variant nested `depth` lists deep around an int, in the toolkit's stream form. It is
// written without building it: destroying such a variant would itself run out of stack.
QByteArray nestedLists(int depth)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    for (int i = 0; i < depth; ++i)
        out << quint32(QMetaType::QVariantList) << qint8(0) << quint32(1);
    out << QVariant(7);
    return bytes;
}

QByteArray encoded(const QVariant& v)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << v;
    return bytes;
}

QByteArray userType()
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << quint32(QMetaType::User) << qint8(0) << QByteArray("NoSuchType");
    return bytes;
}

// A preferences map of two entries: property 0 = 9, property 515 = `value` as given.
QByteArray prefsWith(const QByteArray& value)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << quint32(2) << qint32(0) << QVariant(9) << qint32(515);
    out.writeRawData(value.constData(), int(value.size()));
    return bytes;
}

// One window group of the user-interface state with `data` as its third value, ended.
QByteArray uiStateWith(const QByteArray& data)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << QVariant(QStringLiteral("1;{17cd5afa-0e92-8543-b8a7-2aebee9fdd63}")) << QVariant(QRect(0, 0, 200, 100));
    out.writeRawData(data.constData(), int(data.size()));
    out << QVariant(uint(0));
    for (int i = 0; i < 4; ++i)
        out << QVariant();
    return bytes;
}

struct Refused
{
    const char* name;
    QByteArray value;
};

std::vector<Refused> refusedValues()
{
    return {
        {"lists 30000 deep", nestedLists(30000)},
        {"one list", nestedLists(1)},
        {"map", encoded(QVariantMap{{QStringLiteral("a"), 1}})},
        {"string list", encoded(QStringList{QStringLiteral("a")})},
        {"type the program does not know", userType()},
    };
}

} // namespace

TEST(DocumentValues, PreferencesTakeFlatValuesAndRefuseContainersWithNothingChanged)
{
    const QVariant flat[] = {QVariant(5), QVariant(QStringLiteral("{0958eca9-6709-4267-9696-33d56fec4f6a}")),
                             QVariant(true), QVariant(uint(7)), QVariant(2.5), QVariant(QByteArray("ab")),
                             QVariant(qlonglong(-3)), QVariant()};
    for (const QVariant& v : flat) {
        EditorIPrefsQuery_VANTREL_KXE prefs(nullptr);
        QDataStream in(prefsWith(encoded(v)));
        EXPECT_EQ(prefs.readFromStream(in), 0) << v.typeName();
        EXPECT_EQ(in.status(), QDataStream::Ok);
        EXPECT_EQ(prefs.getProperty(515), v) << v.typeName();
        EXPECT_EQ(prefs.getProperty(0), QVariant(9));
    }
    for (const Refused& r : refusedValues()) {
        EditorIPrefsQuery_VANTREL_KXE prefs(nullptr);
        prefs.setProperty(0, 3);
        QDataStream in(prefsWith(r.value));
        EXPECT_NE(prefs.readFromStream(in), 0) << r.name;
        EXPECT_EQ(in.status(), QDataStream::ReadCorruptData) << r.name;
        EXPECT_EQ(prefs.getProperty(0), QVariant(3)) << r.name;
        EXPECT_FALSE(prefs.propertyValueAvailable(515)) << r.name;
    }
}

TEST(DocumentValues, UserInterfaceStateRefusesContainersAndKeepsTheWindowsItHad)
{
    CUserInterfaceServer_VANTREL_KXE server(nullptr);
    {
        QDataStream in(uiStateWith(encoded(QVariant())));
        EXPECT_EQ(server.UI_saveLoadUIstate(true, in), 0);
        EXPECT_EQ(server.savedGroupCount(), 1);
    }
    for (const Refused& r : refusedValues()) {
        QDataStream in(uiStateWith(r.value) + uiStateWith(encoded(QVariant())));
        EXPECT_NE(server.UI_saveLoadUIstate(true, in), 0) << r.name;
        EXPECT_EQ(in.status(), QDataStream::ReadCorruptData) << r.name;
        EXPECT_EQ(server.savedGroupCount(), 1) << r.name;
    }
}

TEST(DocumentValues, ProjectWithDeeplyNestedPreferencesLoadsAsAnErrorAndChangesNothing)
{
    ApiHandle api;
    EditorIPrefsQuery_VANTREL_KXE prefs(nullptr);
    FakeBridge bridge;
    ASSERT_EQ(api->MAPI_associate(&bridge, &prefs, 0, nullptr), 0);
    prefs.setProperty(0, 3);
    FakeStream stream;
    const NS_DocumentStream::WriteFn write = [&](const void* data, uint32_t n) {
        uint32_t done = 0;
        return stream.Write(data, n, &done);
    };
    ASSERT_EQ(NS_DocumentStream::writeCurrent(write, prefsWith(nestedLists(30000))), 0);
    EXPECT_NE(api->MAPI_loadIStream(&stream), 0);
    EXPECT_EQ(prefs.getProperty(0), QVariant(3));
    EXPECT_FALSE(prefs.propertyValueAvailable(515));
}
