#ifdef VANTREL_HAVE_ALSA
// Apart from AlsaMidiBackend.cpp: the kernel's own sequencer header and alsa-lib's
// define the same event structures and cannot meet in one file.
#include "AlsaClientPool.h"
#include <cstring>
#include <sound/asequencer.h>
#include <sys/ioctl.h>

namespace NS_Platform::AlsaSeq {

bool alsaClientRoom(int fd, int client, AlsaClientRoom& room)
{
    snd_seq_client_pool info;
    std::memset(&info, 0, sizeof info);
    info.client = client;
    if (fd < 0 || ioctl(fd, SNDRV_SEQ_IOCTL_GET_CLIENT_POOL, &info) < 0)
        return false;
    room.pool = info.input_pool;
    room.free = info.input_free;
    return true;
}

int alsaEventCells(int variableBytes)
{
    const int cell = int(sizeof(snd_seq_event));
    return 1 + (variableBytes > 0 ? (variableBytes + cell - 1) / cell : 0);
}

} // namespace NS_Platform::AlsaSeq
#endif
