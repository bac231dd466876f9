// The records shared with the host keep their fixed offsets on this 64-bit build, and
// identifiers spelled as field values and as text name the same bytes.
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "utilities/interfaces/MPPortData.h"
#include <QUuid>
#include <QtEndian>
#include <gtest/gtest.h>

static_assert(sizeof(tagMPEVENT) == 56, "host MIDI event");
static_assert(offsetof(tagMPEVENT, kind) == 0);
static_assert(offsetof(tagMPEVENT, port) == 12);
static_assert(offsetof(tagMPEVENT, channel) == 16);
static_assert(offsetof(tagMPEVENT, sequence) == 24);
static_assert(offsetof(tagMPEVENT, one) == 32);
static_assert(offsetof(tagMPEVENT, count) == 36);
static_assert(offsetof(tagMPEVENT, data) == 40);
static_assert(sizeof(tagMPEVENT::data) == 8 && sizeof(uint8_t*) == 8, "pointer fits the union");
static_assert(offsetof(tagMPQSTATUS, flags) == 24);
static_assert(sizeof(tagMPMSG) >= 16 && offsetof(tagMPMSG, id) == 0);
static_assert(offsetof(tagMPPORTENTRY, portId) == 4);
static_assert(offsetof(tagMPPORTENTRY, portName) == 24 && sizeof(tagMPPORTENTRY) == 32);
static_assert(sizeof(int32_t) == 4 && int32_t(0x80000008) < 0, "status codes are negative");
static_assert(sizeof(tagCAUUID::cElems) == 4 && sizeof(Y_GUID) == 16);

TEST(HostLayout, StatusCodesAreNegative32BitValues)
{
    EXPECT_LT(NS_MPStatus::failure, 0);
    EXPECT_LT(NS_MPStatus::unexpected, 0);
    EXPECT_EQ(uint32_t(NS_MPStatus::noInterface), 0x80000004u);
    EXPECT_EQ(NS_MPStatus::timedOut, 1460);
}

TEST(HostLayout, IdentifierTextAndFieldSpellingsAgree)
{
    // Text spelling: the bytes in text order.
    const Y_GUID& portList = NS_HostIds::IID_IMPPortListService;
    EXPECT_EQ(Guid2QUuid(portList), QUuid(QStringLiteral("{0958ECA9-6709-4267-9696-33D56FEC4F6A}")));
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&portList);
    EXPECT_EQ(bytes[0], 0x09);
    EXPECT_EQ(bytes[3], 0xA9);
    EXPECT_EQ(bytes[4], 0x67);
    EXPECT_EQ(bytes[15], 0x6A);
    // Field spelling: the first three fields hold the big-endian values, so on this
    // little-endian machine they read byte-swapped.
    const Y_GUID fields(qToBigEndian<uint32_t>(0x0958ECA9), qToBigEndian<uint16_t>(0x6709),
                        qToBigEndian<uint16_t>(0x4267), 0x96, 0x96, 0x33, 0xD5, 0x6F, 0xEC, 0x4F,
                        0x6A);
    EXPECT_TRUE(fields == portList);
    EXPECT_EQ(QUuid2Guid(QUuid(QStringLiteral("{5B46C89E-BD98-9946-B4CE-798E37B39BBA}"))),
              NS_HostIds::CLSID_Component);
    EXPECT_EQ(Guid2QUuid(NS_HostIds::IID_IGenericEditorPluginInterface),
              QUuid(QStringLiteral("{6E5CB24E-A0BB-400D-9B75-042334A0C76A}")));
    EXPECT_EQ(Guid2QUuid(NS_HostIds::IID_IUnknown),
              QUuid(QStringLiteral("{00000000-0000-0000-C000-000000000046}")));
}

TEST(HostLayout, EditorDescriptionStartsAsTheAddOnsExpect)
{
    TGP_Information info;
    EXPECT_TRUE(info.moduleId.isNull());
    EXPECT_EQ(info.creator, nullptr);
    EXPECT_EQ(info.menuPosition, 2100);
    EXPECT_EQ(info.entryPosition, 2100);
    EXPECT_EQ(info.flags, NS_GPFlags::oneWindowPerKey);
    EXPECT_EQ(info.flags2, 0);
    EXPECT_EQ(info.windowControlName[0], '\0');
    EXPECT_EQ(info.menuId, -1);
    EXPECT_EQ(info.commandId, -1);
    EXPECT_STREQ(kAddOnFactoryName, "tovar_vantrel_kxe_factory");
    EXPECT_STREQ(kMacLoaderFactoryName, "MacLoaderFactory");
}
