#pragma once
// Keeps a text name packed into parameters (four characters per 32-bit value,
// first character in the most significant byte) in step with a line editor.
// GUI thread; process() may be entered from any thread and then only posts.
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "vantrel_kxe21_memapi_export.h"
#include <QObject>
#include <QVector>

class VANTREL_MEMAPI_EXPORT TNameObserver_VANTREL_KXE : public QObject, public TMemProxy_VANTREL_KXE
{
    Q_OBJECT
public:
    // first and size in characters: 16 for a long name (4 values), 4 for a short one.
    TNameObserver_VANTREL_KXE(QObject* parent, const QString& namedAddress, int first, int size);
    ~TNameObserver_VANTREL_KXE() override;

    static TNameObserver_VANTREL_KXE* CreateAndConnect(QObject* lineEditor,
                                                       const QString& namedAddress, bool longName);

    // The packed values of a text: count values, spaces past its end, codes of 256
    // or more stored as 0.
    static QVector<int32_t> pack(const QString& text, int count);
    // A zero byte ends the characters of its value.
    static QString unpack(const QVector<int32_t>& values);

    void setName(bool shortName, const QString& text);
    void setLongName(const QString& text) { setName(false, text); }
    void setShortName(const QString& text) { setName(true, text); }
    QString name() const { return m_name; }
    int parameterCount() const { return m_count; }

    void connectMemAPI() override;
    void disconnectMemAPI() override;

public slots:
    void process(const uint8_t* rawData, int operation, uint32_t flags) override;
    void setLongNameFromParent();
    void setShortNameFromParent();
    void reloadValues();

signals:
    void nameChange(bool shortName, const QString& name);
    void nameChange(const QString& name);

private:
    static void emitChangesCall(QObject* target);
    void postEmitChanges();
    void emitChanges();
    bool doReloadValues();

    uint8_t m_first;
    uint8_t m_count;
    int32_t m_pendingEmit = 0;
    QString m_name;
};
