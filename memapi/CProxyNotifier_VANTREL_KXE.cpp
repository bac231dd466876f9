#include "memapi/CProxyNotifier_VANTREL_KXE.h"

CProxyNotifier_VANTREL_KXE::CProxyNotifier_VANTREL_KXE(QObject* parent) : QObject(parent) {}
CProxyNotifier_VANTREL_KXE::~CProxyNotifier_VANTREL_KXE() = default;
