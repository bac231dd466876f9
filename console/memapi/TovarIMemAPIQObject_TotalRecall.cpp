// The companion's bridge to the total-recall engine and the end of a recall.
#include "console/memapi/RecallLogic.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "utilities/ThreadUtilities.h"

#include <QCoreApplication>

using Companion = TovarIMemAPIQObject_VANTREL_KXE;

RecallLogic* Companion::createRecallLogic(CSynthMemory* memory)
{
    auto* recall = new RecallLogic;
    recall->initialise(memory);
    return recall;
}

void Companion::deleteRecallLogic(RecallLogic* recall) { delete recall; }

bool Companion::runRecall(RecallLogic* recall, unsigned int mask, TovarIMemAPI* api, bool upload,
                          IMPClientProgressHandler* progress, int interval)
{
    return recall && recall->recall(mask, api, upload, progress, interval);
}

QString Companion::recallDescription(RecallLogic* recall)
{
    return recall ? recall->description_string() : QString();
}

uint32_t Companion::recallPreferredFeature(RecallLogic* recall) { return recall ? recall->preferred_feature() : 1; }

void Companion::cancelRecall(RecallLogic* recall)
{
    if (recall)
        recall->cancel();
}

void Companion::OnRecallComplete(bool upload, bool received, bool current)
{
    if (!NS_Utilities::mainThreadRunning()) {
        QCoreApplication::postEvent(this, new RecallCompleted(upload, received, current));
        return;
    }
    m_dirty = received || current;
    if (!upload && received)
        setDocDirty(true);
}
