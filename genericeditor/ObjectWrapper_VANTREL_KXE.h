#pragma once
// A toolkit object that stands for the component in posted calls and timers of its
// start and shut-down. Lives on the GUI thread.
#include <QObject>

class CompIMPInitialise_VANTREL_KXE;

class ObjectWrapper_VANTREL_KXE : public QObject
{
    Q_OBJECT
public:
    // Any thread; moved to the GUI thread at once.
    explicit ObjectWrapper_VANTREL_KXE(CompIMPInitialise_VANTREL_KXE* component);
    CompIMPInitialise_VANTREL_KXE* component() const { return m_component; }

public slots:
    // Deletes the component, this wrapper later, then ends the framework use.
    void doDiposeSelfAndFramework();

private:
    CompIMPInitialise_VANTREL_KXE* m_component;
};
