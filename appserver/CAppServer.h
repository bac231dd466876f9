#pragma once
// The toolkit application server: one reference-counted instance per process. The
// first instance creates the toolkit application when the host has none and pumps
// it from the host's run loop; it also owns the marshal dispatcher.
#include "vantrel_kxe21_qtplxserver_export.h"
#include <cstdint>

class CMarshallDispatcher;
class QApplication;
class QObject;

class VANTREL_APPSERVER_EXPORT CAppServer
{
public:
    // Any thread, under the server's static lock (safe against racing first calls).
    // Creates the server (count 1) or adds one use. The first call with no toolkit
    // application creates one on the calling thread, which becomes the GUI thread.
    static CAppServer* Instance();
    // Any thread. Removes one use; the last one deletes the server on the GUI thread
    // (called elsewhere, the deletion is posted there and skipped when a use came
    // back meanwhile).
    void release();
    static void release(CAppServer* server);

    // Any thread; atomic.
    void use();
    int32_t usageCount() const;

    // The toolkit's application object (the host's or ours).
    QApplication* app() const;
    // The marshal dispatcher (GUI thread object); null before the first server.
    static CMarshallDispatcher* MS();
    CMarshallDispatcher* ms() const { return MS(); }

    // GUI thread only, while the application runs: wait cursor until the event
    // loop next delivers posted events. Does nothing elsewhere.
    static void PrepareForBusyAction();

    // 0 running, 1 quit requested, 2 quitting.
    static int quitState();
    // Whether the server found no toolkit application and runs the toolkit as a plug-in.
    static bool runningAsPlugin();
    // GUI thread, from the pump: ends the application this server created.
    static void endCreatedApplication();

    // How the server finds and creates the toolkit application. Tests replace them
    // to take the no-application path inside a process that already has one; null
    // restores the defaults (QCoreApplication::instance(); a new CApplication).
    using HasApplicationFn = bool (*)();
    using CreateApplicationFn = QObject* (*)();
    static void setToolkitHooks(HasApplicationFn hasApplication, CreateApplicationFn create);

private:
    CAppServer();
    ~CAppServer();
    CAppServer(const CAppServer&) = delete;
    CAppServer& operator=(const CAppServer&) = delete;

    static void finishRelease(QObject*);

    int32_t m_useCount = 1;
};
