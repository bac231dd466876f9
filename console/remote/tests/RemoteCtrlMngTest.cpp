#include "console/remote/RcParamInfo.h"
#include "console/remote/RemoteCtrlMng.h"
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(RemoteCtrlMng, WithoutSurfaceTemplateStaysInactiveAndChangesNothing)
{
    CRemoteCtrlMng manager;
    QSignalSpy opened(&manager, &CRemoteCtrlMng::openGuiWindow);
    auto* map = reinterpret_cast<CPrmCtrl*>(&manager); // never dereferenced
    manager.InitSet(map, 1, QStringLiteral("/nonexistent/VEXMOOR/TOVAR-VANTREL"));
    EXPECT_FALSE(manager.isActive());
    EXPECT_EQ(manager.map(), map);
    EXPECT_EQ(manager.surfaceType(), 1u);
    EXPECT_EQ(manager.folder(), QStringLiteral("/nonexistent/VEXMOOR/TOVAR-VANTREL"));
    EXPECT_EQ(manager.m_pVoiceBanks, nullptr);

    manager.Refresh(15);
    manager.SetMuteStatus(-1, true);
    manager.SetSoloStatus(40, true);

    unsigned char address[3] = {0x10, 0x00, 0x02};
    _RCPARAM_INFO info;
    EXPECT_EQ(info.address, nullptr);
    EXPECT_FALSE(info.valid);
    info.address = address;
    info.kind = 1;
    EXPECT_TRUE(manager.ChangeParam(&info));
    EXPECT_TRUE(manager.ChangeParam(nullptr));

    unsigned char* changed = address;
    manager.SetReceiveMsg(0xE0, 0x10, 0x40, true, &changed);
    EXPECT_EQ(changed, nullptr);
    manager.SetReceiveMsg(0x90, 0x00, 0x7F, true, nullptr);
    EXPECT_EQ(opened.count(), 0);
}
