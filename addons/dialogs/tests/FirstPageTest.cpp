// The dialogs add-on in the component as the editor first appears: the File, Setup and
// Help menus built from its table, the toolbar as the first window (one at a time, made
// again after it was deleted), its document label, the preset receive step 250 ms
// after the saved windows, the about box as a command window (run, then deleted) and
// the help manual.
#include "DialogsRig.h"
#include "console/memapi/ITovarVoiceData.h"
#include "platform/PlatformLaunchService.h"
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QFileInfo>
#include <QToolButton>

using namespace DialogsTest;

namespace {

QMenu* menuNamed(QMenuBar* bar, const QString& title)
{
    for (QAction* action : bar->actions())
        if (action->menu() && action->text() == title)
            return action->menu();
    return nullptr;
}

QStringList entries(QMenu* menu)
{
    QStringList out;
    for (QAction* action : menu->actions())
        out << (action->isSeparator() ? QStringLiteral("-")
                                      : action->text() + QLatin1Char('=') + action->shortcut().toString());
    return out;
}

// Debug lines of the dialogs add-on, with the time they were written.
struct DialogsLog
{
    static inline QElapsedTimer clock;
    static inline QList<QPair<QString, qint64>> lines;
    static void handler(QtMsgType, const QMessageLogContext& context, const QString& text)
    {
        if (context.category && QByteArray(context.category) == "tovar.dialogs")
            lines.append({text, clock.elapsed()});
    }
    static qint64 timeOf(const QString& part)
    {
        for (const auto& line : lines)
            if (line.first.contains(part))
                return line.second;
        return -1;
    }
};

// When the preset receive dialog is first shown, on the same clock.
struct PresetPromptSeen : QObject
{
    qint64 shownAt = -1;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && shownAt < 0
            && watched->objectName() == QLatin1String("PresetReceiveDialog"))
            shownAt = DialogsLog::clock.elapsed();
        return false;
    }
};

class FirstPage : public DialogsRig
{
};

} // namespace

TEST_F(FirstPage, MenusComeFromTheEditorTableInTheirOrder)
{
    startHost();
    QMenuBar* bar = m_server->menuBar();
    ASSERT_NE(bar, nullptr);
    QStringList titles;
    for (QAction* action : bar->actions())
        titles << action->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Setup", "&Windows", "&Help"}));
    EXPECT_EQ(entries(menuNamed(bar, "&File")),
              (QStringList{"&New=Ctrl+N", "&Open...=Ctrl+O", "&Import Voice...=Ctrl+I", "&Save=Ctrl+S",
                           "Save &As...="}));
    EXPECT_EQ(entries(menuNamed(bar, "&Setup")),
              (QStringList{"Set&up...=", "Transmit Multi Bulk=Ctrl+T", "Receive Multi Bulk=Ctrl+R",
                           "Transmit Voice Bulk...=", "Receive Voice Bulk="}));
    EXPECT_EQ(entries(menuNamed(bar, "&Help")), (QStringList{"&Manual...=F1", "-", "&About..."
                                                                                   "="}));
}

TEST_F(FirstPage, ToolbarFirstThenThePresetReceiveStep250msAfterTheSavedWindows)
{
    DialogsLog::clock.start();
    DialogsLog::lines.clear();
    QLoggingCategory::setFilterRules(QStringLiteral("tovar.dialogs.debug=true"));
    const QtMessageHandler previous = qInstallMessageHandler(&DialogsLog::handler);
    // Without preset voice data the step shows the preset receive dialog (which the
    // host closes, as nobody is at it).
    PresetPromptSeen seen;
    qApp->installEventFilter(&seen);
    startHost(0);
    ASSERT_TRUE(pumpUntil([] { return DialogsLog::timeOf(QStringLiteral("opening the preset")) >= 0; }, 3000));
    ASSERT_TRUE(pumpUntil([&] { return seen.shownAt >= 0; }, 3000));
    qApp->removeEventFilter(&seen);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    const qint64 reopened = DialogsLog::timeOf(QStringLiteral("saved windows reopened"));
    const qint64 preset = DialogsLog::timeOf(QStringLiteral("opening the preset"));
    ASSERT_GE(reopened, 0);
    EXPECT_GE(preset - reopened, 250);
    EXPECT_GE(seen.shownAt, preset);

    QToolBar* bar = toolbar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->parentWidget(), mainWindow());
    EXPECT_EQ(mainWindow()->toolBarArea(bar), Qt::TopToolBarArea);
    EXPECT_FALSE(bar->isMovable());
    EXPECT_TRUE(bar->isVisible());
    EXPECT_GE(bar->width(), 300);
    EXPECT_GE(bar->height(), 34);
    QStringList buttons;
    for (QToolButton* button : bar->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly))
        if (!button->objectName().startsWith(QLatin1String("qt_")))
            buttons << button->objectName() + QLatin1Char('|') + button->toolTip();
    EXPECT_EQ(buttons, (QStringList{"OpenButton|Open...", "SaveButton|Save...", "SetupButton|Setup...",
                                    "TransmitButton|Transmit Multi Bulk", "ReceiveButton|Receive Multi Bulk",
                                    "MixerButton|Show Part Mixer"}));
    for (QToolButton* button : bar->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!button->objectName().startsWith(QLatin1String("qt_"))) {
            EXPECT_FALSE(button->icon().isNull()) << qPrintable(button->objectName());
        }
    }
}

TEST_F(FirstPage, ToolbarIsUniqueAndMadeAgainAfterItWasDeleted)
{
    startHost();
    QPointer<QToolBar> first = toolbar();
    ASSERT_NE(first, nullptr);
    QWidget* again = nullptr;
    EXPECT_EQ(m_server->CS_openEditor(dialogsModule(), 11, &again, nullptr, true), 0);
    EXPECT_EQ(again, first.data()) << "a second toolbar was made";
    EXPECT_EQ(mainWindow()->findChildren<QToolBar*>().size(), 1);

    delete first.data();
    pumpToolkit();
    EXPECT_EQ(toolbar(), nullptr);
    QWidget* made = nullptr;
    EXPECT_EQ(m_server->CS_openEditor(dialogsModule(), 11, &made, nullptr, true), 0);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(toolbar(), made);
    EXPECT_EQ(mainWindow()->findChildren<QToolBar*>().size(), 1);
    EXPECT_EQ(made->findChild<QLabel*>(QStringLiteral("DocumentNameLabel"))->text(), QStringLiteral("Untitled"));
}

TEST_F(FirstPage, EachToolbarEntryOpensWhatItsMenuEntryOpens)
{
    startHost();
    QToolBar* bar = toolbar();
    ASSERT_NE(bar, nullptr);
    auto* data = dynamic_cast<ITovarVoiceData*>(m_api->MAPI_qself());
    ASSERT_NE(data, nullptr);
    const QUuid mixer = Guid2QUuid(NS_AddOnIds::LayerAddOn);
    // A closed editor window may be kept hidden: open means shown.
    const auto mixerOpen = [&]() -> QWidget* {
        QWidget* window = nullptr;
        m_server->CS_isEditorOpened(mixer, 1, &window);
        return window && window->isVisible() ? window : nullptr;
    };
    const auto click = [bar](const char* button) {
        if (auto* b = bar->findChild<QToolButton*>(QLatin1String(button)))
            b->click();
    };
    // The buttons a toolbar of another instrument adds: compare mode checks the one and
    // disables the other.
    auto* compare = new QToolButton(bar);
    compare->setObjectName(QStringLiteral("CompareButton"));
    auto* store = new QToolButton(bar);
    store->setObjectName(QStringLiteral("StoreButton"));
    QString modal;
    struct Case
    {
        const char* name;
        std::function<void()> act;
        std::function<bool()> opened;
    };
    const int asked = m_prompter.filters.size();
    const bool monitoring = data->monitorMode();
    const Case cases[] = {
        {"Open", [&] { click("OpenButton"); },
         [&] {
             return m_prompter.filters.size() > asked
                    && m_prompter.filters.last().startsWith(QLatin1String("TOVAR-VANTREL Quillon files (*.m3e);;"));
         }},
        // No document name yet: Save asks for one.
        {"Save", [&] { click("SaveButton"); },
         [&] {
             return m_prompter.filters.size() > asked + 1
                    && m_prompter.filters.last() == QLatin1String("TOVAR-VANTREL Quillon files (*.m3e)");
         }},
        {"Setup",
         [&] {
             runModal([&] { click("SetupButton"); }, [&](QDialog* dialog) {
                 modal = dialog->objectName();
                 dialog->reject();
             });
         },
         [&] { return modal == QLatin1String("SetupDialog"); }},
        {"Mixer",
         [&] {
             if (QWidget* open = mixerOpen())
                 m_server->CS_closeEditor(open);
             pumpToolkit();
             ASSERT_EQ(mixerOpen(), nullptr);
             click("MixerButton");
         },
         [&] { return mixerOpen() != nullptr; }},
        {"Monitor", [&] { QMetaObject::invokeMethod(bar, "OnMonitor"); },
         [&] { return data->monitorMode() != monitoring; }},
        {"Enter compare mode", [&] { emit m_companion->enterCompareMode(true); },
         [&] { return compare->isChecked() && !store->isEnabled(); }},
        // Compare mode comes on, its audition transmission ending by itself.
        {"Compare", [&] { QMetaObject::invokeMethod(bar, "OnCompare"); },
         [&] { return data->compareMode() && m_prompter.messages.isEmpty(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.act();
        EXPECT_TRUE(pumpUntil(c.opened, 3000));
    }
    QMetaObject::invokeMethod(bar, "OnCompare");
    EXPECT_FALSE(data->compareMode());
    EXPECT_FALSE(compare->isChecked());
    EXPECT_TRUE(store->isEnabled());
    EXPECT_TRUE(m_prompter.messages.isEmpty()) << qPrintable(m_prompter.messages.join(QLatin1Char(',')));
}

TEST_F(FirstPage, DocumentLabelFollowsTheNameAndTheModifiedFlag)
{
    startHost();
    QLabel* label = toolbar()->findChild<QLabel*>(QStringLiteral("DocumentNameLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Untitled"));

    // A user edit marks the document modified.
    IMemAPI::TCompleteAddress address;
    const QString name = QStringLiteral("00kCommon/kCommARPType");
    m_api->MAPI_parse(address, &name);
    ASSERT_TRUE(address.records && address.count > 0);
    const IMemAPI::TSingleAddress_VANTREL_KXE a = address.records[0];
    delete[] address.records;
    const int value = m_api->MAPI_getIndParam(a.element, a.parameter, a.channel, false, nullptr);
    const int other = value == m_api->MAPI_getIndParamMin(a.element, a.parameter, a.channel, nullptr) ? value + 1 : value - 1;
    m_api->MAPI_setIndParam(a.element, a.parameter, a.channel, other, m_api->MAPI_dirtyAllFlags(nullptr),
                            IMemAPI::EPostAction(1));
    ASSERT_TRUE(pumpUntil([&] { return label->text() == QStringLiteral("Untitled*"); }, 2000)) << qPrintable(label->text());

    // OnDirty(false) while the document is still modified keeps the mark.
    QMetaObject::invokeMethod(toolbar(), "OnDirty", Q_ARG(bool, false));
    EXPECT_EQ(label->text(), QStringLiteral("Untitled*"));

    const QString path = m_dir.filePath(QStringLiteral("evening.m3e"));
    m_companion->setCurrentFileName(path);
    EXPECT_EQ(label->text(), path + QLatin1Char('*'));
    m_companion->fileSave(path);
    ASSERT_TRUE(pumpUntil([&] { return label->text() == path; }, 2000)) << qPrintable(label->text());
}

TEST_F(FirstPage, AboutBoxRunsAsACommandWindowAndIsDeletedAfterwards)
{
    startHost();
    QString objectName, caption, version;
    QSize size;
    bool fixed = false;
    const int32_t status = openDialog(2, [&](QDialog* dialog) {
        objectName = dialog->objectName();
        caption = dialog->windowTitle();
        size = dialog->size();
        fixed = dialog->minimumSize() == dialog->maximumSize();
        version = dialog->findChild<QLabel*>(QStringLiteral("VersionTextLabel"))->text();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_NE(status, 0) << "a command window is not open once it has run";
    EXPECT_TRUE(m_lastDialogRan);
    EXPECT_TRUE(m_lastDialogDeleted);
    EXPECT_EQ(objectName, QStringLiteral("About box"));
    EXPECT_EQ(caption, QStringLiteral("About"));
    EXPECT_TRUE(version.endsWith(QStringLiteral(" Ver: 2.2.2"))) << qPrintable(version);
    EXPECT_TRUE(fixed);
    EXPECT_GE(size.width(), 379);
    EXPECT_GE(size.height(), 228);
    QWidget* open = nullptr;
    EXPECT_EQ(m_server->CS_isEditorOpened(dialogsModule(), 2, &open), 0);
    EXPECT_EQ(open, nullptr);
}

TEST_F(FirstPage, HelpManualIsOurPdfInTheBundlesResources)
{
    startHost();
    QList<QUrl> opened;
    NS_Platform::PlatformLaunchService::setHook([&](const QUrl& url) {
        opened.append(url);
        return int32_t(NS_Platform::PlatformLaunchService::NoError);
    });
    QAction* manual = nullptr;
    for (QAction* action : menuNamed(m_server->menuBar(), "&Help")->actions())
        if (action->text() == QStringLiteral("&Manual..."))
            manual = action;
    ASSERT_NE(manual, nullptr);
    manual->trigger();
    pumpToolkit();
    NS_Platform::PlatformLaunchService::setHook({});
    ASSERT_EQ(opened.size(), 1);
    const QString path = opened.first().toLocalFile();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Resources/Manual.pdf"))) << qPrintable(path);
    EXPECT_EQ(QFileInfo(path).canonicalFilePath(), QFileInfo(QStringLiteral(VANTREL_MANUAL_PATH)).canonicalFilePath());
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.contains("/Type /Page"));
    // The document's title, in the UTF-16 the writer uses for it.
    const QString title = QStringLiteral("TOVAR-VANTREL Multi Editor");
    QByteArray utf16("\xfe\xff");
    for (const QChar c : title) {
        utf16 += char(c.unicode() >> 8);
        utf16 += char(c.unicode() & 0xFF);
    }
    EXPECT_TRUE(bytes.contains(utf16));
}
