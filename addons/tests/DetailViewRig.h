#pragma once
// The two detail view add-ons as the component meets them: the library loaded by path,
// its add-on initialised with client services that record what the windows open, a
// window made and bound to the real memory-API object built from the shipped data
// folder. The windows' own classes stay inside their libraries, so the tests reach
// the view through its widgets, its object names and its slots.
#include "ViewLibraries.h"
#include "addons/shell/TDetailGrid.h"
#include "console/memapi/tests/MemApiTestSupport.h"
#include "utilities/DocuPrompter.h"
#include "utilities/DocuSaveLoad.h"
#include "utilities/interfaces/IClientServices.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include "widgets/CHotspotLabel_VANTREL_KXE.h"
#include "widgets/COnOffButton_VANTREL_KXE.h"
#include "widgets/CPopup_VANTREL_KXE.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"
#include <QAbstractButton>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>
#include <vector>

namespace DetailTest {

inline const ViewLibrary& commonLibrary() { return kViewLibraries[1]; }
inline const ViewLibrary& partLibrary() { return kViewLibraries[2]; }

// What a window asked the user-interface server to open.
class RecordingServices : public IClientServices
{
public:
    struct Opened
    {
        QUuid module;
        int index;
    };
    std::vector<Opened> opened;

    int32_t CS_mainWidget(QWidget** w) override { return none(w); }
    int32_t CS_modulePath(IUnknown*, QString&) override { return 0; }
    int32_t CS_iUnk(const QUuid&, IUnknown**) override { return int32_t(0x80000008); }
    int32_t CS_isEditorOpened(const QUuid&, int, QWidget** w) override { return none(w); }
    int32_t CS_reparent(QWidget*, QWidget*, const QPoint&, bool) override { return 0; }
    int32_t CS_openEditor(const QUuid& module, int index, QWidget** w, const QRect*, bool) override
    {
        opened.push_back({module, index});
        return none(w);
    }
    int32_t CS_closeEditor(QWidget*) override { return 0; }
    int32_t CS_reopenDefaultEditors(bool) override { return 0; }
    int32_t CS_menuObject(const QString&, QMenu**) override { return 0; }
    int32_t CS_menuObjectFromID(int, QMenu**) override { return 0; }
    int32_t CS_activeWindow(QWidget** w) override { return none(w); }
    int32_t CS_updatePortInformation() override { return 0; }
    int32_t CS_closeParent() override { return 0; }
    int32_t CS_showHelp(const QString&) override { return 0; }
    int32_t CS_saveViaStream(QDataStream&) override { return 0; }
    int32_t CS_loadViaStream(QDataStream&) override { return 0; }
    CompIMPInitialise_VANTREL_KXE* CS_compInitialize() override { return nullptr; }

private:
    static int32_t none(QWidget** w)
    {
        if (w)
            *w = nullptr;
        return 0;
    }
};

// Records the messages the document frame would show, each after the kind of its box.
class RecordingPrompter : public NS_Utilities::IDocuPrompter
{
public:
    QStringList messages;
    Answer question(QWidget*, const QString& caption, const QString& text, bool) override
    {
        messages << QStringLiteral("question|") + caption + QLatin1Char('|') + text;
        return No;
    }
    void critical(QWidget*, const QString& caption, const QString& text) override
    {
        messages << QStringLiteral("critical|") + caption + QLatin1Char('|') + text;
    }
    Answer warning(QWidget*, const QString& caption, const QString& text) override
    {
        messages << QStringLiteral("warning|") + caption + QLatin1Char('|') + text;
        return No;
    }
    void information(QWidget*, const QString& caption, const QString& text) override
    {
        messages << QStringLiteral("information|") + caption + QLatin1Char('|') + text;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override { return {}; }
};

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// One add-on with one window of it, bound to a memory API.
class DetailWindow
{
public:
    DetailWindow(const ViewLibrary& library, IMemAPI* api, int id = 1)
    {
        TAddOnFactoryFunction factory = viewFactory(library);
        if (!factory)
            return;
        m_addOn = factory();
        m_addOn->GP_initialize(api, &services);
        frame = qobject_cast<QScrollArea*>(m_addOn->GP_create(id, nullptr));
        if (!frame)
            return;
        view = frame->widget();
        if (IEditorExtensions* extensions = m_addOn->GP_extension(frame, nullptr))
            extensions->EX_postInitialize(api);
    }
    ~DetailWindow()
    {
        delete frame.data();
        flushDeletes();
        if (m_addOn)
            m_addOn->Release();
    }
    DetailWindow(const DetailWindow&) = delete;
    DetailWindow& operator=(const DetailWindow&) = delete;

    bool ready() const { return view != nullptr; }
    QStackedWidget* pages() const { return view->findChild<QStackedWidget*>(QStringLiteral("TabPages")); }
    QFrame* frameOfPage(int page) const
    {
        QWidget* widget = pages()->widget(page);
        return widget ? widget->findChild<QFrame*>() : nullptr;
    }
    int currentPage() const { return pages()->currentIndex(); }
    void showPage(int page)
    {
        QMetaObject::invokeMethod(view, "guiWindowChanged", Q_ARG(int, 0), Q_ARG(int, page), Q_ARG(int, -1));
    }
    // The header's tab button of that page.
    QAbstractButton* tab(int page) const { return view->findChild<QAbstractButton*>(QStringLiteral("Tab%1").arg(page)); }
    // Tab (Shift+Tab backwards) from the focus until the tab button of the page has it,
    // then Space on it; false when no press brings it the focus.
    bool tabAndSpace(int page, bool backwards) const
    {
        constexpr int kMaxPresses = 200;
        QAbstractButton* target = tab(page);
        for (int presses = 0; target && QApplication::focusWidget() != target && presses < kMaxPresses; ++presses)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        if (!target || QApplication::focusWidget() != target)
            return false;
        QTest::keyClick(target, Qt::Key_Space);
        return true;
    }
    // The pages whose tab buttons are on.
    std::vector<int> tabsOn(int tabs) const
    {
        std::vector<int> on;
        for (int page = 0; page < tabs; ++page)
            if (tab(page) && tab(page)->isChecked())
                on.push_back(page);
        return on;
    }
    // The control of a page bound by that named address, of the given class.
    template <class Control>
    Control* control(int page, const char* address) const
    {
        for (Control* c : frameOfPage(page)->findChildren<Control*>()) {
            if (c->namedAddress() == QLatin1String(address))
                return c;
        }
        return nullptr;
    }
    // The cell label that follows a control in its page frame.
    QLabel* labelAfter(QWidget* control) const
    {
        const QObjectList siblings = control->parent()->children();
        for (qsizetype i = siblings.indexOf(control) + 1; i < siblings.size(); ++i) {
            auto* label = qobject_cast<QLabel*>(siblings[i]);
            if (label && !qobject_cast<CLabelDisplay_VANTREL_KXE*>(label))
                return label;
        }
        return nullptr;
    }

    RecordingServices services;
    QPointer<QScrollArea> frame;
    QPointer<QWidget> view;

private:
    IGenericEditorPluginInterface* m_addOn = nullptr;
};

} // namespace DetailTest
