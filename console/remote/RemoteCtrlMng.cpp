#include "RemoteCtrlMng.h"
#include "RcParamInfo.h"

CRemoteCtrlMng::CRemoteCtrlMng() = default;
CRemoteCtrlMng::~CRemoteCtrlMng() = default;

void CRemoteCtrlMng::InitSet(CPrmCtrl* map, unsigned long type, QString folder)
{
    m_pVoiceBanks = nullptr;
    m_map = map;
    m_type = type;
    m_folder = std::move(folder);
    // No surface template is supported yet, so the surface stays silent.
    m_active = false;
}

void CRemoteCtrlMng::SetMuteStatus(int part, bool mute)
{
    Q_UNUSED(part);
    Q_UNUSED(mute);
}

void CRemoteCtrlMng::SetSoloStatus(int part, bool solo)
{
    Q_UNUSED(part);
    Q_UNUSED(solo);
}

void CRemoteCtrlMng::Refresh(unsigned long what)
{
    Q_UNUSED(what);
    if (!m_active)
        return;
}

bool CRemoteCtrlMng::ChangeParam(_RCPARAM_INFO* changed)
{
    Q_UNUSED(changed);
    return true;
}

void CRemoteCtrlMng::SetReceiveMsg(unsigned char status, unsigned char data1, unsigned char data2,
                                   bool fromSurface, unsigned char** changed)
{
    Q_UNUSED(status);
    Q_UNUSED(data1);
    Q_UNUSED(data2);
    Q_UNUSED(fromSurface);
    if (changed)
        *changed = nullptr;
}
