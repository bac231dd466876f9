#pragma once
// Total recall: moves the multi setup, the current voice and the user voice banks
// between editor and instrument as one host-driven run of steps (features) taken
// from a catalogue by a mask, with progress texts for the host's progress handler,
// a receive watchdog, paced uploads after an identity check, and a completion
// report to the GUI-thread companion. Lives on the GUI thread; recall() may be
// called from another thread, which then waits (bounded) until the run ends.
// Lock order: the memory-API lock (held around every call into the bulk engines),
// then the queue mutex, then the identity mutex.
#include "vantrel_kxe21_console_export.h"
#include <QEvent>
#include <QMutex>
#include <QObject>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QWaitCondition>
#include <atomic>
#include <memory>
#include <vector>

class CSynthMemory;
class HeldReports;
class IMPClientProgressHandler;
class QTimer;
class TovarIMemAPI;

// One step of a recall.
class VANTREL_CONSOLE_EXPORT recall_feature
{
public:
    explicit recall_feature(const QString& name) : m_name(name) {}
    virtual ~recall_feature();
    virtual bool recall(CSynthMemory* memory, bool upload, QObject* receiver, int interval) = 0;
    virtual QString GetIncludedName() { return m_name; }
    virtual bool needMultipleBulkControl() const { return true; }
    virtual bool CheckUpdateItem(int) { return false; }
    virtual bool IsThereRemainingFeature() const { return false; }
    virtual bool IsThereIncludedFeature() const { return false; }
    const QString& name() const { return m_name; }

    // While true, download requests use the paced request walk.
    static std::atomic<bool> m_usingSpecialBulkRequest;

protected:
    QString m_name;
};

class VANTREL_CONSOLE_EXPORT recall_multi : public recall_feature
{
public:
    recall_multi() : recall_feature(QStringLiteral("Multi")) {}
    bool recall(CSynthMemory* memory, bool upload, QObject* receiver, int interval) override;
    bool needMultipleBulkControl() const override { return false; }
};

class VANTREL_CONSOLE_EXPORT recall_current_voice : public recall_feature
{
public:
    recall_current_voice() : recall_feature(QStringLiteral("Current")) {}
    bool recall(CSynthMemory* memory, bool upload, QObject* receiver, int interval) override;
    bool needMultipleBulkControl() const override { return false; }
};

class VANTREL_CONSOLE_EXPORT recall_voice_bank : public recall_feature
{
public:
    recall_voice_bank(const QString& name, int bank) : recall_feature(name), m_bank(bank) {}
    bool recall(CSynthMemory* memory, bool upload, QObject* receiver, int interval) override;
    int bank() const { return m_bank; }

private:
    int m_bank;
};

class VANTREL_CONSOLE_EXPORT recall_header : public recall_feature
{
public:
    recall_header() : recall_feature(QStringLiteral("multiple_header")) {}
    bool recall(CSynthMemory* memory, bool upload, QObject* receiver, int interval) override;
};

class VANTREL_CONSOLE_EXPORT recall_footer : public recall_feature
{
public:
    recall_footer() : recall_feature(QStringLiteral("multiple_footer")) {}
    bool recall(CSynthMemory* memory, bool upload, QObject* receiver, int interval) override;
};

// The features that need the instrument's multiple-bulk framing, run as one step.
class VANTREL_CONSOLE_EXPORT recall_includefeature : public recall_feature
{
public:
    recall_includefeature(recall_feature* header, recall_feature* footer)
        : recall_feature(QStringLiteral("multiple_includefeature")), m_header(header), m_footer(footer)
    {
    }
    bool recall(CSynthMemory* memory, bool upload, QObject* receiver, int interval) override;
    QString GetIncludedName() override;
    bool CheckUpdateItem(int section) override;
    bool IsThereRemainingFeature() const override { return m_index < m_count; }
    bool IsThereIncludedFeature() const override { return true; }
    void Attach(QQueue<recall_feature*>& queue);
    int count() const { return m_count; }
    const QQueue<recall_feature*>& queue() const { return m_queue; }

private:
    int m_index = 0;
    int m_count = 0;
    QQueue<recall_feature*> m_queue;
    recall_feature* m_header;
    recall_feature* m_footer;
    QStringList m_names;
};

class VANTREL_CONSOLE_EXPORT RecallLogic : public QObject
{
    Q_OBJECT
public:
    // Posted event types.
    static constexpr QEvent::Type kTimerStart = QEvent::Type(2345);
    static constexpr QEvent::Type kGuiUpdate = QEvent::Type(3456);
    static constexpr QEvent::Type kIdentityRequest = QEvent::Type(4567);
    static constexpr QEvent::Type kSpecialRequest = QEvent::Type(4568);
    static constexpr QEvent::Type kTimerStop = QEvent::Type(5004);

    static constexpr int kWatchdogMs = 8000;
    static constexpr int kSpecialRequestMs = 4000;
    static constexpr int kIdentityMs = 4000;
    static constexpr int kMinimumUploadPacingMs = 15;
    // Bound on one wait of a caller off the GUI thread; it waits again while the run goes on.
    static constexpr int kCallerWaitSliceMs = 500;
    // Bound on the whole wait of such a caller (a full recall at cable speed takes minutes).
    static constexpr int kCallerWaitLimitMs = 15 * 60 * 1000;

    RecallLogic();
    ~RecallLogic() override;

    // Multiplies every time-out and pause (tests use small factors); process-wide.
    static void setTimeScale(double scale);
    static int scaled(int ms);

    void initialise(CSynthMemory* memory);
    recall_feature* find_feature(const char* name) const;
    QString description_string();
    uint32_t preferred_feature() const { return 1; }
    // Any thread; from another thread returns when the run has ended.
    bool recall(unsigned int mask, TovarIMemAPI* api, bool upload, IMPClientProgressHandler* progress,
                int interval);
    void cancel();
    void reset();

    // Tests.
    bool isRunning() const { return m_running.load(); }
    QString doneText() const;
    QString progressText() const;
    int totalCount() const { return m_total; }
    int interval() const { return m_interval; }
    int queuedCount();
    const std::vector<recall_feature*>& catalogue() const { return m_catalogue; }

signals:
    void recallComplete(bool upload, bool received, bool current);
    void identityReplyChecked();

public slots:
    void onRcvBulk();
    void onRcvProgressChanged(int percent);
    void onSendProgressChanged(int percent, int section);
    // The instrument's port refused a message: an upload ends with its failure.
    void onSendFailed();
    void OnRcvErrorOccured(int code);
    void onRcvIdentityReply();
    void timeOut();
    void specialBulkRequestTimeouted();
    void identityReplyTimeOut();

protected:
    void customEvent(QEvent* e) override;

private:
    void recall_next_feature(int interval);
    void update_text(const QString& name);
    void update_progress(int percent, int section);
    void postTimerStart(int ms);
    void stopTimerAnyThread(QTimer* timer);
    void report(uint32_t value, const QString& text);
    void finish(int32_t status);

    std::vector<recall_feature*> m_catalogue;
    QString m_description;
    QQueue<recall_feature*> m_queue;
    QMutex m_queueMutex;
    IMPClientProgressHandler* m_progress = nullptr;
    CSynthMemory* m_memory = nullptr;
    TovarIMemAPI* m_api = nullptr;
    bool m_upload = false;
    bool m_received = false;
    bool m_current = false;
    bool m_nextStepPending = false;
    QString m_progressText;
    QString m_pastText;
    QString m_doneText;
    QTimer* m_timer = nullptr;
    QTimer* m_specialTimer = nullptr;
    QTimer* m_identityTimer = nullptr;
    int m_interval = 5;
    int m_savedInterval = 5;
    int m_total = 0;
    int m_done = 0;
    recall_feature* m_currentFeature = nullptr;
    QMutex m_waitMutex;
    QWaitCondition m_wait;
    std::atomic<bool> m_running{false};
    int m_identityPending = 0;
    bool m_identityHandled = false;
    QMutex m_identityMutex;
    int m_lastPercent = -1;
    // The engines' reports of a step the GUI thread makes under the memory-API lock,
    // made once the lock is let go: the host's progress handler never runs under it.
    std::unique_ptr<HeldReports> m_heldReports;
};
