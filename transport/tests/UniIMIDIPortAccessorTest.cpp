#include "transport/MacIMIDIPortAccessor.h"
#include "transport/TMIDITransport.h"
#include "transport/UniIMIDIPortAccessor.h"
#include "platform/MidiEndpointPair.h"
#include "platform/VirtualMidiBus.h"
#include "utilities/interfaces/MPPortData.h"
#include <QSettings>
#include <QUuid>
#include <gtest/gtest.h>
#include <cstdlib>

namespace {

// Ports given by name per direction; a name list shared across accessor lifetimes.
class FakeAccessor : public UniIMIDIPortAccessor
{
public:
    FakeAccessor(const QString& product, QStringList inputs, QStringList outputs)
        : UniIMIDIPortAccessor(QStringLiteral("halvorsk-test"), product),
          m_inputs(std::move(inputs)), m_outputs(std::move(outputs))
    {
    }
    QString identifierForIndex(int index, bool output) override
    {
        return (output ? m_outputs : m_inputs).value(index);
    }
    int getNumberOfPlugs(bool output) override { return int((output ? m_outputs : m_inputs).size()); }

private:
    QStringList m_inputs, m_outputs;
};

// A settings product of its own for every run, so repeated runs start empty.
QString freshProduct(const char* name)
{
    return QString::fromLatin1(name) + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

FakeAccessor* made(const QString& product, const QStringList& in, const QStringList& out)
{
    auto* a = new FakeAccessor(product, in, out);
    a->init();
    return a;
}

QString nameOf(const tagMPPORTENTRY& e)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(e.portName));
}

void freeList(tagMPPORTDATA& list)
{
    for (int i = 0; i < list.count; ++i)
        std::free(list.entries[i].portName);
    std::free(list.entries);
    list = {};
}

} // namespace

TEST(UniIMIDIPortAccessor, IdentifiersPersistAcrossTwoLifetimes)
{
    const QString product = freshProduct("Persist");
    FakeAccessor* first = made(product, {"Sim<[Inp]>", "Keys<[Inp]>"}, {"Sim<[Out]>"});
    const QUuid in1 = first->portIdentity("Sim<[Inp]>", false);
    const QUuid in2 = first->portIdentity("Keys<[Inp]>", false);
    const QUuid out1 = first->portIdentity("Sim<[Out]>", true);
    EXPECT_FALSE(in1.isNull());
    EXPECT_NE(in1, in2);
    EXPECT_EQ(first->portName(in2), "2;Keys<[Inp]>");
    first->Release();

    FakeAccessor* second = made(product, {"Sim<[Inp]>", "Keys<[Inp]>"}, {"Sim<[Out]>"});
    EXPECT_EQ(second->portIdentity("Sim<[Inp]>", false), in1);
    EXPECT_EQ(second->portIdentity("Keys<[Inp]>", false), in2);
    EXPECT_EQ(second->portIdentity("Sim<[Out]>", true), out1);
    second->Release();
}

TEST(UniIMIDIPortAccessor, RenamedOrMovedPortGetsANewIdentifierAndOldOnesStayStored)
{
    const QString product = freshProduct("Rename");
    FakeAccessor* first = made(product, {"Sim<[Inp]>", "Keys<[Inp]>"}, {});
    const QUuid sim = first->portIdentity("Sim<[Inp]>", false);
    const QUuid keys = first->portIdentity("Keys<[Inp]>", false);
    first->Release();

    // Port 1 renamed; "Keys" moved from 2 to 1 would also be new, so it stays at 2.
    FakeAccessor* second = made(product, {"Simulator<[Inp]>", "Keys<[Inp]>"}, {});
    const QUuid renamed = second->portIdentity("Simulator<[Inp]>", false);
    EXPECT_FALSE(renamed.isNull());
    EXPECT_NE(renamed, sim);
    EXPECT_EQ(second->portIdentity("Keys<[Inp]>", false), keys);
    second->Release();

    QSettings settings(QStringLiteral("halvorsk-test"), product);
    const QStringList names = settings.value("/preferences/SystemPorts/Input/portNames").toStringList();
    const QStringList ids = settings.value("/preferences/SystemPorts/Input/portIds").toStringList();
    ASSERT_EQ(names.size(), 3);
    ASSERT_EQ(ids.size(), 3);
    // Names and identifiers are stored at the same positions, the old one kept.
    EXPECT_EQ(QUuid(ids[names.indexOf("1;Sim<[Inp]>")]), sim);
    EXPECT_EQ(QUuid(ids[names.indexOf("2;Keys<[Inp]>")]), keys);
    EXPECT_EQ(QUuid(ids[names.indexOf("1;Simulator<[Inp]>")]), renamed);

    FakeAccessor* moved = made(product, {"Keys<[Inp]>"}, {});
    EXPECT_NE(moved->portIdentity("Keys<[Inp]>", false), keys);
    moved->Release();
}

TEST(UniIMIDIPortAccessor, UnknownLookupsGiveTheFallbacks)
{
    FakeAccessor* a = made("Unknown", {"A<[Inp]>"}, {"B<[Out]>"});
    EXPECT_TRUE(a->portIdentity("nothing", false).isNull());
    // The direction is not used: an output is found with false.
    EXPECT_FALSE(a->portIdentity("B<[Out]>", false).isNull());
    EXPECT_EQ(a->portName(QUuid::createUuid()), "<unknown port name>");
    EXPECT_EQ(a->numberOfPlugs(false), 1);
    EXPECT_EQ(a->numberOfPlugs(true), 1);
    a->Release();
}

TEST(MIDIPorts, ListsInTextOrderCutsNamesAtSemicolonAndFillsOnce)
{
    QStringList inputs;
    for (int i = 1; i <= 10; ++i)
        inputs << QStringLiteral("In %1").arg(i);
    inputs[1] = QStringLiteral("Two;extra");
    FakeAccessor* a = made("List", inputs, {});

    tagMPPORTDATA list{};
    TMIDITransport::MIDIPorts(a, false, &list);
    ASSERT_EQ(list.count, 10);
    ASSERT_NE(list.entries, nullptr);
    // Plain text order: "10;" sorts before "1;" and "2;".
    EXPECT_EQ(list.entries[0].portNumber, 10);
    EXPECT_EQ(list.entries[1].portNumber, 1);
    EXPECT_EQ(list.entries[2].portNumber, 2);
    EXPECT_EQ(list.entries[9].portNumber, 9);
    EXPECT_EQ(nameOf(list.entries[2]), "Two");
    EXPECT_EQ(nameOf(list.entries[0]), "In 10");
    EXPECT_EQ(Guid2QUuid(list.entries[2].portId), a->portIdentity("Two;extra", false));

    tagMPPORTENTRY* before = list.entries;
    TMIDITransport::MIDIPorts(a, false, &list);
    EXPECT_EQ(list.entries, before);
    EXPECT_EQ(list.count, 10);
    freeList(list);

    TMIDITransport::MIDIPorts(a, true, &list);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.entries, nullptr);
    TMIDITransport::MIDIPorts(nullptr, false, &list);
    EXPECT_EQ(list.entries, nullptr);
    a->Release();
}

TEST(MIDIPorts, RecordsAreSizedForThisBuild)
{
    EXPECT_EQ(sizeof(tagMPPORTENTRY), sizeof(void*) == 8 ? 32u : 24u);
    EXPECT_EQ(offsetof(tagMPPORTENTRY, portId), 4u);
}

TEST(MacIMIDIPortAccessor, NamesEndpointsWithMarkersAndFallbackNames)
{
    NS_Platform::VirtualMidiBus bus;
    NS_Platform::MidiEndpointPair a(bus, "Vantrel Sim", {});
    NS_Platform::MidiEndpointPair b(bus, "Keys", {});
    NS_Platform::MidiEndpointPair unnamed(bus, "", {});
    MacIMIDIPortAccessor accessor("halvorsk-test", "Mac", &bus);
    EXPECT_EQ(accessor.getNumberOfPlugs(false), 3);
    EXPECT_EQ(accessor.identifierForIndex(0, false), "Vantrel Sim<[Inp]>");
    EXPECT_EQ(accessor.identifierForIndex(1, true), "Keys<[Out]>");
    EXPECT_EQ(accessor.identifierForIndex(2, false), "Port #3<[Inp]>");
    EXPECT_TRUE(accessor.identifierForIndex(3, false).isEmpty());
    accessor.init();
    EXPECT_EQ(accessor.portName(accessor.portIdentity("Vantrel Sim<[Out]>", true)),
              "1;Vantrel Sim<[Out]>");
}

TEST(CoCreateGuid, FillsARandomIdentifierAndRefusesNull)
{
    Y_GUID a, b;
    EXPECT_EQ(CoCreateGuid(&a), 0);
    EXPECT_EQ(CoCreateGuid(&b), 0);
    EXPECT_NE(a, b);
    EXPECT_FALSE(Guid2QUuid(a).isNull());
    EXPECT_EQ(CoCreateGuid(nullptr), int32_t(0x80000001));
}
