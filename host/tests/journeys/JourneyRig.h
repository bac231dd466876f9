#pragma once
// What the journeys share: the editor as the substitute host program loads it (the
// component library opened with dlopen, its add-ons found in their folder), the
// simulated instrument and surface on the in-process bus, a settings store, preset
// voice cache and project folder of the journey's own, the windows found as a person
// sees them, and every modal window answered by a script of what the person does in
// it. Each journey is a list of numbered steps; a failed check names its step.
#include "addons/mainlayer/tests/MixerTestSupport.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "host/HostEditorWindows.h"
#include "addons/dialogs/DialogsIds.h"
#include "host/HostGuid.h"
#include "host/SubstituteHost.h"
#include "platform/PlatformWindow.h"
#include "platform/testing/ModalShowWatch.h"
#include "simulator/SimulatedInstrument.h"
#include "simulator/SimulatedSurface.h"
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace Journeys {

using Bytes = std::vector<uint8_t>;
using Instrument = NS_Simulator::SimulatedInstrument;
using Kind = Instrument::Kind;
using Fault = Instrument::Fault;
using Companion = TovarIMemAPIQObject_VANTREL_KXE;
using NS_MixerTest::control;
using NS_MixerTest::kStrips;

inline QUuid mixerModule() { return NS_Host::toUuid(NS_AddOnIds::LayerAddOn); }
inline QUuid commonModule() { return NS_Host::toUuid(NS_AddOnIds::CommonDetailAddOn); }
inline QUuid partModule() { return NS_Host::toUuid(NS_AddOnIds::PartDetailAddOn); }
inline QUuid dialogsModule() { return NS_Host::toUuid(NS_AddOnIds::DialogsAddOn); }

// A parameter change as the editor sends it to device 1: F0 43 10 5C a a a d.. F7.
inline Bytes parameterChange(const Bytes& address, const Bytes& data)
{
    Bytes m{0xF0, 0x43, 0x10, 0x5C};
    m.insert(m.end(), address.begin(), address.end());
    m.insert(m.end(), data.begin(), data.end());
    m.push_back(0xF7);
    return m;
}

inline std::string hex(const Bytes& bytes)
{
    std::string out;
    static const char digits[] = "0123456789ABCDEF";
    for (uint8_t b : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// One modal window a step expects and what the person does in it. `act` runs on
// every tick while the window is the active modal one, until it answers true (done:
// the window is left to close); a window that closes or gives way to the next one
// before that counts as done when `closesItself`.
struct Answer
{
    QString expected; // object name, or class name (QMessageBox, QFileDialog)
    std::function<bool(QWidget*)> act;
    bool closesItself = false;
};

class JourneyRig : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        static int run = 0;
        ++run;
        const qint64 pid = QCoreApplication::applicationPid();
        m_options.componentPath = QStringLiteral(VANTREL_HOST_COMPONENT_PATH);
        m_options.projectPath = m_dir.filePath(QStringLiteral("project/journey.tvproj"));
        m_options.simulatorName = QStringLiteral("TOVAR-VANTREL journey %1-%2").arg(pid).arg(run);
        m_options.surfaceName = QStringLiteral("TOVAR-VANTREL journey surface %1-%2").arg(pid).arg(run);
        m_options.settleMs = 100;
        // The journey answers the start-up prompt itself, as the person at the editor.
        m_options.closePresetPrompt = false;
        // A first start: no settings, no preset voices received before.
        QSettings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication()).clear();
        m_oldPresetCache = qgetenv("VANTREL_PRESET_CACHE");
        qputenv("VANTREL_PRESET_CACHE", QFile::encodeName(m_dir.filePath(QStringLiteral("presets"))));
        QObject::connect(&m_tick, &QTimer::timeout, [this] { tick(); });
        m_tick.start(5);
        qApp->installEventFilter(&m_showWatch);
        m_clock.start();
    }
    void TearDown() override
    {
        stopHost(false);
        m_tick.stop();
        qApp->removeEventFilter(&m_showWatch);
        Companion::setCommandTimeScale(1.0);
        qputenv("VANTREL_PRESET_CACHE", m_oldPresetCache);
        std::printf("[ journey ] %d steps in %lld ms\n", m_step, static_cast<long long>(m_clock.elapsed()));
    }

    // ---- steps

    void step(const std::string& what)
    {
        ++m_step;
        m_stepText = what;
        std::printf("[ journey ] step %d at %lld ms: %s\n", m_step, static_cast<long long>(m_clock.elapsed()),
                    what.c_str());
        std::fflush(stdout);
    }
    // "step 3 (the voice list opens): " before a failure's own words.
    std::string at() const { return "step " + std::to_string(m_step) + " (" + m_stepText + "): "; }

    // ---- the host

    // Starts the editor; the preset prompt it shows while no preset voices are loaded
    // is answered by `prompt` (none: it must not come).
    bool startHost(std::vector<Answer> prompt = {})
    {
        m_host = std::make_unique<NS_Host::SubstituteHost>(m_options);
        m_host->setIdleHook([] {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        });
        answer(std::move(prompt));
        if (!m_host->start()) {
            m_failure = "the host did not start: " + m_host->error().toStdString();
            return false;
        }
        return true;
    }
    void stopHost(bool save)
    {
        if (!m_host)
            return;
        m_host->stop(save);
        EXPECT_EQ(m_host->outstandingReferences(), 0) << at() << "the editor kept host objects";
        m_host.reset();
    }
    Instrument& instrument() const { return *m_host->instrument(); }
    NS_Simulator::SimulatedSurface& surface() const { return m_host->surface()->surface(); }

    // Runs the host's loop and the toolkit until the condition holds.
    bool waitFor(const std::function<bool()>& done, int ms = 5000)
    {
        return QTest::qWaitFor(
            [&] {
                if (m_host)
                    m_host->runFor(2);
                else
                    QCoreApplication::processEvents();
                return done();
            },
            ms);
    }
    // Lets the editor run for a while (a person's pause).
    void settle(int ms)
    {
        QElapsedTimer clock;
        clock.start();
        waitFor([&] { return clock.elapsed() >= ms; }, ms + 1000);
    }

    // ---- the memory API the editor's controls are bound to (for what no window shows)

    Companion* companion() const
    {
        for (QWidget* widget : QApplication::allWidgets()) {
            TMemProxy_VANTREL_KXE* proxy = NS_MixerTest::proxyOf(widget);
            if (!proxy || !proxy->m_memAPI)
                continue;
            if (auto* out = qobject_cast<Companion*>(proxy->m_memAPI->MAPI_qself()))
                return out;
        }
        return nullptr;
    }

    // ---- windows

    QWidget* editorWindow(const QUuid& module, int id) const
    {
        return m_host && m_host->editorWindows() ? m_host->editorWindows()->window(module, id) : nullptr;
    }
    QWidget* mixerView() const { return NS_MixerTest::viewOf(editorWindow(mixerModule(), 1)); }
    QList<QWidget*> strips() const { return NS_MixerTest::stripsOf(mixerView()); }
    // The editor's main window in the host's window: the one around the workspace.
    QMainWindow* mainWindow() const
    {
        if (!m_host || !m_host->window())
            return nullptr;
        for (QMainWindow* w : m_host->window()->contentWidget()->findChildren<QMainWindow*>())
            if (qobject_cast<QMdiArea*>(w->centralWidget()))
                return w;
        return nullptr;
    }
    QToolBar* toolbar() const { return mainWindow() ? mainWindow()->findChild<QToolBar*>() : nullptr; }
    QToolButton* toolbarButton(const char* name) const
    {
        return toolbar() ? toolbar()->findChild<QToolButton*>(QLatin1String(name)) : nullptr;
    }
    QString documentLabel() const
    {
        auto* label = toolbar() ? toolbar()->findChild<QLabel*>(QStringLiteral("DocumentNameLabel")) : nullptr;
        return label ? label->text() : QString();
    }

    // Opens a menu of the main window's menu bar with the mouse and clicks its entry.
    // False when either is not there.
    bool chooseMenu(const QString& title, const QString& entry)
    {
        QMainWindow* window = mainWindow();
        QMenuBar* bar = window ? window->menuBar() : nullptr;
        if (!bar)
            return false;
        QAction* menuAction = nullptr;
        for (QAction* a : bar->actions()) {
            if (a->menu() && a->text() == title)
                menuAction = a;
        }
        if (!menuAction)
            return false;
        QMenu* menu = menuAction->menu();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menuAction).center());
        if (!waitFor([&] { return menu->isVisible(); }, 2000))
            return false;
        for (QAction* a : menu->actions()) {
            if (a->text() == entry && a->isEnabled()) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                return true;
            }
        }
        menu->hide();
        return false;
    }

    // ---- modal windows

    // The modal windows the next actions open, in order, and what the person does in
    // each. A window that is not the expected one, or a script not done within
    // `deadlineMs`, fails the step; every modal window is then closed.
    void answer(std::vector<Answer> answers, int deadlineMs = 30000)
    {
        m_answers.assign(answers.begin(), answers.end());
        m_bound.clear();
        m_boundOnce = false;
        m_dialogFailure.clear();
        m_deadline = m_clock.elapsed() + deadlineMs;
    }
    // Every answer given and no modal window left open.
    bool answered() const { return !m_dialogFailure.empty() || (m_answers.empty() && !QApplication::activeModalWidget()); }
    bool waitAnswered(int ms = 30000) { return waitFor([&] { return answered(); }, ms) && m_dialogFailure.empty(); }
    const std::string& dialogFailure() const { return m_dialogFailure; }

    template <class W>
    static W* child(QWidget* window, const char* name)
    {
        return window ? window->findChild<W*>(QLatin1String(name)) : nullptr;
    }
    // Steps a combo box with the arrow keys to the entry of that text.
    static bool pick(QComboBox* box, const QString& text)
    {
        const int target = box ? box->findText(text) : -1;
        if (target < 0)
            return false;
        for (int guard = 0; box->currentIndex() != target && guard < 64; ++guard)
            QTest::keyClick(box, box->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        return box->currentIndex() == target;
    }
    // Clicks a button of a dialog with the mouse, from the event loop once the answer
    // has returned (a window the click opens runs its own loop then, answered in
    // turn). False when the button is not there or cannot be clicked.
    static bool click(QWidget* window, const char* name)
    {
        auto* button = child<QAbstractButton>(window, name);
        if (!button || !button->isVisible() || !button->isEnabled())
            return false;
        press(button);
        return true;
    }
    static void press(QAbstractButton* button)
    {
        QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
    }
    // A message box: its text, then its OK (or only) button.
    static Answer message(const QString& text, QString* shown = nullptr)
    {
        return Answer{QStringLiteral("QMessageBox"), [text, shown](QWidget* w) {
                          auto* box = qobject_cast<QMessageBox*>(w);
                          if (shown)
                              *shown = box->text();
                          if (!text.isEmpty() && box->text() != text)
                              throw std::runtime_error("the message said \"" + box->text().toStdString() + "\", not \""
                                                       + text.toStdString() + "\"");
                          QAbstractButton* ok = box->button(QMessageBox::Ok);
                          if (!ok && !box->buttons().isEmpty())
                              ok = box->buttons().first();
                          if (!ok)
                              throw std::runtime_error("the message has no button");
                          press(ok);
                          return true;
                      }};
    }
    // A question answered with the button of that text.
    static Answer question(const QString& buttonText, QString* shown = nullptr)
    {
        return Answer{QStringLiteral("QMessageBox"), [buttonText, shown](QWidget* w) {
                          auto* box = qobject_cast<QMessageBox*>(w);
                          if (shown)
                              *shown = box->text();
                          for (QAbstractButton* b : box->buttons()) {
                              if (b->text() == buttonText) {
                                  press(b);
                                  return true;
                              }
                          }
                          throw std::runtime_error("the question \"" + box->text().toStdString() + "\" has no button "
                                                   + buttonText.toStdString());
                      }};
    }
    // The toolkit's file dialog: the path typed into its name field, then Return.
    static Answer fileDialog(const QString& path)
    {
        return Answer{QStringLiteral("QFileDialog"), [path](QWidget* w) {
                          auto* name = w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                          if (!name)
                              throw std::runtime_error("the file dialog has no name field");
                          if (!name->isVisible())
                              return false;
                          // Typed into a window that is not the active one, the name
                          // field has no focus and the dialog keeps the folders its
                          // completion selected on the way, which Return then opens.
                          if (!w->isActiveWindow()) {
                              w->activateWindow();
                              return false;
                          }
                          name->setFocus();
                          name->selectAll();
                          QTest::keyClicks(name, path);
                          QPointer<QLineEdit> field(name);
                          QTimer::singleShot(0, name, [field] { QTest::keyClick(field, Qt::Key_Return); });
                          return true;
                      }};
    }

    // The preset prompt of a first start answered by receiving the preset voices from
    // the instrument: Start, the progress to 100, Close.
    static Answer receivePresets()
    {
        auto started = std::make_shared<bool>(false);
        return Answer{QStringLiteral("PresetReceiveDialog"), [started](QWidget* w) {
                          if (!*started) {
                              if (!click(w, "StartButton"))
                                  throw std::runtime_error("the preset prompt has no Start button to click");
                              *started = true;
                              return false;
                          }
                          auto* status = child<QLabel>(w, "Status");
                          if (status && status->isVisible())
                              throw std::runtime_error("the preset receive ended in \"" + status->text().toStdString()
                                                       + "\"");
                          auto* bar = child<QProgressBar>(w, "ReceiveProgressBar");
                          auto* close = child<QPushButton>(w, "CloseButton");
                          if (!bar || bar->value() < 100 || !close || !close->isEnabled())
                              return false;
                          return click(w, "CloseButton");
                      }};
    }
    // The preset prompt closed without receiving.
    static Answer closePresetPrompt()
    {
        return Answer{QStringLiteral("PresetReceiveDialog"), [](QWidget* w) { return click(w, "CloseButton"); }};
    }

    QTemporaryDir m_dir;
    NS_Host::HostOptions m_options;
    std::unique_ptr<NS_Host::SubstituteHost> m_host;
    std::string m_failure;

private:
    static bool matches(QWidget* w, const QString& expected)
    {
        return w->objectName() == expected || w->inherits(expected.toLatin1().constData());
    }
    static QString describe(QWidget* w)
    {
        return QStringLiteral("%1 \"%2\" (%3)")
            .arg(QLatin1String(w->metaObject()->className()), w->windowTitle(), w->objectName());
    }
    void fail(const std::string& what)
    {
        if (m_dialogFailure.empty())
            m_dialogFailure = what;
        m_answers.clear();
    }
    bool finished(QWidget* w)
    {
        m_finished.erase(std::remove_if(m_finished.begin(), m_finished.end(),
                                        [](const QPointer<QWidget>& p) { return p.isNull(); }),
                         m_finished.end());
        return std::find(m_finished.begin(), m_finished.end(), w) != m_finished.end();
    }
    void unbind(bool finishedWith)
    {
        if (finishedWith && m_bound)
            m_finished.push_back(m_bound);
        m_bound.clear();
        m_boundOnce = false;
    }
    // The expected window is bound as it shows: one that closes by itself before the
    // next tick is then seen to end, not missed.
    void shown(QWidget* w)
    {
        if (m_ticking || m_boundOnce || !m_dialogFailure.empty() || m_answers.empty() || finished(w)
            || !matches(w, m_answers.front().expected))
            return;
        m_bound = w;
        m_boundOnce = true;
    }
    // Runs inside every event loop, modal ones included. Answers never block: what
    // they click happens after they return.
    void tick()
    {
        if (m_ticking)
            return;
        m_ticking = true;
        tickOnce();
        m_ticking = false;
    }
    void tickOnce()
    {
        QWidget* modal = QApplication::activeModalWidget();
        // An answered window still open past the deadline fails the step too: what
        // waits for it runs inside its loop and would wait forever.
        const bool late = m_clock.elapsed() > m_deadline && (!m_answers.empty() || (modal && finished(modal)));
        if (!m_dialogFailure.empty() || late) {
            if (m_dialogFailure.empty())
                fail("the dialog " + (modal ? describe(modal).toStdString() : m_answers.front().expected.toStdString())
                     + " was not done in time" + (modal && finished(modal) ? " (it stayed open once answered)" : ""));
            // Closed, so that whatever waits for it can end.
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->done(QDialog::Rejected);
            else if (modal)
                modal->close();
            return;
        }
        // The window being answered ended by itself.
        if (m_boundOnce && (m_bound.isNull() || !m_bound->isVisible())) {
            if (!m_answers.empty() && m_answers.front().closesItself)
                m_answers.pop_front();
            else if (!m_answers.empty())
                return fail("the dialog " + m_answers.front().expected.toStdString() + " closed before it was answered");
            unbind(false);
        }
        if (!modal || finished(modal))
            return;
        // Another window opened over the one being answered.
        if (m_boundOnce && modal != m_bound) {
            if (m_answers.front().closesItself) {
                m_answers.pop_front();
                unbind(true);
            } else {
                return fail(describe(modal).toStdString() + " opened over " + describe(m_bound).toStdString()
                            + " before that was answered");
            }
        }
        if (m_answers.empty())
            return fail("an unexpected dialog opened: " + describe(modal).toStdString());
        // A window that closes by itself can be covered by the next one, its child,
        // before any tick saw it: it was there all the same.
        if (!m_boundOnce && m_answers.front().closesItself && !matches(modal, m_answers.front().expected)) {
            for (QWidget* p = modal->parentWidget(); p; p = p->parentWidget()) {
                if (matches(p, m_answers.front().expected)) {
                    m_finished.push_back(p);
                    m_answers.pop_front();
                    break;
                }
            }
            if (m_answers.empty())
                return fail("an unexpected dialog opened: " + describe(modal).toStdString());
        }
        if (!m_boundOnce) {
            if (!matches(modal, m_answers.front().expected))
                return fail("expected the dialog " + m_answers.front().expected.toStdString() + ", but "
                            + describe(modal).toStdString() + " opened");
            m_bound = modal;
            m_boundOnce = true;
        }
        bool done = false;
        try {
            done = m_answers.front().act(modal);
        } catch (const std::exception& e) {
            return fail(describe(modal).toStdString() + ": " + e.what());
        }
        if (done) {
            m_answers.pop_front();
            unbind(true);
        }
    }

    QByteArray m_oldPresetCache;
    QTimer m_tick;
    NS_Testing::ModalShowWatch m_showWatch{[this](QWidget* w) { shown(w); }};
    QElapsedTimer m_clock;
    int m_step = 0;
    std::string m_stepText;
    std::deque<Answer> m_answers;
    QPointer<QWidget> m_bound;
    bool m_boundOnce = false;
    std::vector<QPointer<QWidget>> m_finished;
    std::string m_dialogFailure;
    qint64 m_deadline = 0;
    bool m_ticking = false;
};

} // namespace Journeys
