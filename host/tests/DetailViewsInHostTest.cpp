// The common and part detail windows in the substitute host, with the component and
// its add-ons loaded as the host program loads them and the simulated instrument at
// the other end of the MIDI port: a part's window opened under its two ids, edits
// typed on a page reaching the instrument, and a picture of every page written in the
// host's screenshot mode with each of its controls drawn.
#include "HostTestSupport.h"
#include "host/HostEditorWindows.h"
#include "host/HostGuid.h"
#include "host/SubstituteHost.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "simulator/SimulatedInstrument.h"
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QScrollArea>
#include <QSettings>
#include <QStandardPaths>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

using NS_HostTest::pumpToolkit;
using NS_HostTest::OwnSettings;

using Kind = NS_Simulator::SimulatedInstrument::Kind;
using Bytes = std::vector<uint8_t>;

const QUuid kMixer = NS_Host::toUuid(NS_AddOnIds::LayerAddOn);
const QUuid kCommon = NS_Host::toUuid(NS_AddOnIds::CommonDetailAddOn);
const QUuid kPart = NS_Host::toUuid(NS_AddOnIds::PartDetailAddOn);
constexpr int kPart4Id = 4;

// Where the pictures stay for people to look at: beside the host's build folder.
QString pictureFolder()
{
    QDir build(QStringLiteral(VANTREL_HOST_COMPONENT_PATH));
    build.cdUp();
    return QDir::cleanPath(build.absoluteFilePath(QStringLiteral("../../host/detail-pages")));
}

class DetailViewsInHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int run = 0;
        ++run;
        NS_Host::HostOptions options;
        options.componentPath = QStringLiteral(VANTREL_HOST_COMPONENT_PATH);
        options.projectPath.clear();
        options.simulatorName =
            QStringLiteral("TOVAR-VANTREL detail %1-%2").arg(QCoreApplication::applicationPid()).arg(run);
        options.surfaceName =
            QStringLiteral("TOVAR-VANTREL detail surface %1-%2").arg(QCoreApplication::applicationPid()).arg(run);
        options.settleMs = 100;
        options.openEditors = {{kCommon, 1}, {kPart, kPart4Id}};
        m_settings = std::make_unique<OwnSettings>();
        m_host = std::make_unique<NS_Host::SubstituteHost>(options);
        m_host->setIdleHook(&pumpToolkit);
        ASSERT_TRUE(m_host->start()) << qPrintable(m_host->error());
        m_host->runFor(200);
    }
    void TearDown() override
    {
        if (!m_host)
            return;
        m_host->stop(false);
        EXPECT_EQ(m_host->outstandingReferences(), 0);
        m_host.reset();
        m_settings.reset();
    }

    QScrollArea* frameOf(const QUuid& module, int id) const
    {
        return qobject_cast<QScrollArea*>(m_host->editorWindows()->window(module, id));
    }
    // The widget of a class, by its named address, on the window's current page.
    static QWidget* control(QScrollArea* frame, const char* className, const char* address)
    {
        for (QWidget* w : currentPage(frame)->findChildren<QWidget*>()) {
            if (w->inherits(className) && w->property("namedAddress").toString() == QLatin1String(address))
                return w;
        }
        return nullptr;
    }
    static QFrame* currentPage(QScrollArea* frame)
    {
        auto* pages = frame->widget()->findChild<QStackedWidget*>(QStringLiteral("TabPages"));
        return pages && pages->currentWidget() ? pages->currentWidget()->findChild<QFrame*>() : nullptr;
    }
    bool pumpUntil(const std::function<bool()>& done, int ms = 5000)
    {
        return QTest::qWaitFor(
            [&] {
                m_host->runFor(5);
                return done();
            },
            ms);
    }
    void chooseType(QScrollArea* frame, int page, const char* address, const char* type)
    {
        m_host->showPage(page);
        QWidget* popup = control(frame, "CPopup_VANTREL_KXE", address);
        ASSERT_NE(popup, nullptr) << address;
        const int index = popup->property("labels").toString().split(QLatin1Char(';')).indexOf(QLatin1String(type));
        ASSERT_GE(index, 0) << type;
        QMetaObject::invokeMethod(popup, "setSelection", Q_ARG(int, index));
    }

    std::unique_ptr<OwnSettings> m_settings;
    std::unique_ptr<NS_Host::SubstituteHost> m_host;
};

} // namespace

TEST_F(DetailViewsInHost, APartsWindowOpenedByEitherOfItsIdsIsOneWindow)
{
    QScrollArea* first = frameOf(kPart, kPart4Id);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(m_host->openEditor({kPart, kPart4Id + 16}), 0);
    EXPECT_EQ(m_host->openEditor({kPart, kPart4Id}), 0);
    m_host->runFor(50);
    EXPECT_EQ(frameOf(kPart, kPart4Id), first);
    EXPECT_EQ(frameOf(kPart, kPart4Id + 16), nullptr) << "id 20 has no window of its own";
    int partWindows = 0;
    for (QWidget* w : QApplication::allWidgets())
        partWindows += qobject_cast<QScrollArea*>(w) && w->objectName() == QLatin1String("PartDetail");
    EXPECT_EQ(partWindows, 1);
    auto* number = first->widget()->findChild<QLabel*>(QStringLiteral("PartNumber"));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->text(), QStringLiteral("4"));
}

TEST_F(DetailViewsInHost, TheMixersDetailButtonsOpenTheDetailWindows)
{
    auto* mixer = qobject_cast<QScrollArea*>(m_host->editorWindows()->window(kMixer, 1));
    ASSERT_NE(mixer, nullptr) << "the mixer opens with the page";
    QList<QWidget*> strips;
    QWidget* master = nullptr;
    for (QWidget* w : mixer->widget()->findChildren<QWidget*>()) {
        if (w->inherits("ChannelStrip"))
            strips << w;
        else if (w->inherits("MasterStrip"))
            master = w;
    }
    ASSERT_EQ(strips.size(), 16);
    ASSERT_NE(master, nullptr);

    // Part 7's strip opens part 7's window.
    constexpr int kPart7 = 6;
    ASSERT_EQ(frameOf(kPart, kPart7 + 1), nullptr);
    auto* partDetail = strips[kPart7]->findChild<QAbstractButton*>(QStringLiteral("DetailButton"));
    ASSERT_NE(partDetail, nullptr);
    QTest::mouseClick(partDetail, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return frameOf(kPart, kPart7 + 1) != nullptr; }));
    QScrollArea* part7 = frameOf(kPart, kPart7 + 1);
    auto* number = part7->widget()->findChild<QLabel*>(QStringLiteral("PartNumber"));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->text(), QStringLiteral("7"));
    EXPECT_TRUE(part7->isVisible());

    // The master strip's shows the common window again once it was closed (kept hidden).
    QScrollArea* common = frameOf(kCommon, 1);
    ASSERT_NE(common, nullptr);
    common->close();
    m_host->runFor(20);
    ASSERT_EQ(frameOf(kCommon, 1), common) << "the common window is kept when closed";
    ASSERT_FALSE(common->isVisible());
    auto* commonDetail = master->findChild<QAbstractButton*>(QStringLiteral("DetailButton"));
    ASSERT_NE(commonDetail, nullptr);
    QTest::mouseClick(commonDetail, Qt::LeftButton);
    EXPECT_TRUE(pumpUntil([&] { return common->isVisible(); }));
}

TEST_F(DetailViewsInHost, AKeyTypedOnAPageReachesTheInstrument)
{
    struct Case
    {
        QUuid module;
        int id;
        int page;
        const char* address;
        Bytes instrumentAddress;
    };
    const Case cases[] = {
        {kCommon, 1, 0, "00kCommon/kCommARPSwing", {0x36, 0x00, 0x26}},
        {kCommon, 1, 3, "FCkCommonEQ/kEQGain3", {0x36, 0x10, 0x08}},
        {kPart, kPart4Id, 4, "FEkMixPart/kPartCutoff", {0x37, 0x03, 0x17}},
        {kPart, kPart4Id, 5, "FEkMixPart/kPartEQMidGain", {0x37, 0x03, 0x34}},
    };
    for (const Case& c : cases) {
        QScrollArea* frame = frameOf(c.module, c.id);
        ASSERT_NE(frame, nullptr);
        m_host->showPage(c.page);
        frame->activateWindow();
        QWidget* dial = control(frame, "CDial_VANTREL_KXE", c.address);
        ASSERT_NE(dial, nullptr) << c.address;
        Bytes before;
        m_host->instrument()->image().readEdit(c.instrumentAddress, 1, &before);
        dial->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(pumpUntil([&] { return dial->hasFocus(); })) << c.address;
        m_host->instrument()->clearLogs();
        QTest::keyClick(dial, Qt::Key_Up);
        ASSERT_TRUE(pumpUntil([&] {
            for (const auto& r : m_host->instrument()->received(Kind::ParameterChange)) {
                if (r.bytes.size() > 7 && Bytes(r.bytes.begin() + 4, r.bytes.begin() + 7) == c.instrumentAddress)
                    return true;
            }
            return false;
        })) << c.address << " sent no parameter change";
        Bytes after;
        ASSERT_TRUE(m_host->instrument()->image().readEdit(c.instrumentAddress, 1, &after)) << c.address;
        EXPECT_EQ(int(after[0]), int(before[0]) + 1) << c.address;
    }
}

namespace {

// Pixels of the picture, inside the rectangle, that differ from the page's background.
int drawnPixels(const QImage& picture, const QRect& inPicture, const QImage& background, const QPoint& inBackground)
{
    int drawn = 0;
    for (int y = 0; y < inPicture.height(); ++y) {
        for (int x = 0; x < inPicture.width(); ++x) {
            const QPoint p = inPicture.topLeft() + QPoint(x, y);
            const QPoint b = inBackground + QPoint(x, y);
            if (!picture.rect().contains(p) || !background.rect().contains(b))
                continue;
            const QColor c = picture.pixelColor(p);
            const QColor g = background.pixelColor(b);
            drawn += std::abs(c.red() - g.red()) + std::abs(c.green() - g.green()) + std::abs(c.blue() - g.blue()) > 60;
        }
    }
    return drawn;
}

bool isDrawnControl(const QWidget* w)
{
    for (const char* name : {"CDial_VANTREL_KXE", "CTextSlider_VANTREL_KXE", "COnOffButton_VANTREL_KXE",
                             "CLabelDisplay_VANTREL_KXE", "QLineEdit", "QLabel"}) {
        if (w->inherits(name))
            return true;
    }
    return false;
}

} // namespace

TEST_F(DetailViewsInHost, EveryPageIsWrittenInScreenshotModeWithEachOfItsControlsDrawn)
{
    QScrollArea* common = frameOf(kCommon, 1);
    ASSERT_NE(common, nullptr);
    // Effect types with parameters, so that their pages show parameter cells.
    chooseType(common, 1, "FCkCommonReverb/kRevType", "Hall Bright");
    chooseType(common, 2, "FCkCommonChorus/kChoType", "Flanger Jet");
    chooseType(common, 4, "FCkCommonMasterEF/kMasterEFType", "Compressor");
    m_host->runFor(50);

    struct Window
    {
        QUuid module;
        int id;
        const char* picture;
        int pages;
    };
    for (const Window& w : {Window{kCommon, 1, "common-1.png", 8}, Window{kPart, kPart4Id, "part-4.png", 7}}) {
        QScrollArea* frame = frameOf(w.module, w.id);
        ASSERT_NE(frame, nullptr);
        for (int page = 0; page < w.pages; ++page) {
            const QString folder = pictureFolder() + QStringLiteral("/page%1").arg(page);
            QDir(folder).removeRecursively();
            EXPECT_GE(m_host->showPage(page), 2) << "both windows follow page requests";
            m_host->runFor(30);
            ASSERT_TRUE(m_host->saveEditorScreenshots(folder));
            const QImage picture = QImage(QDir(folder).filePath(QLatin1String(w.picture))).convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(picture.size(), frame->size()) << w.picture << " page " << page;
            QFrame* pageFrame = currentPage(frame);
            ASSERT_NE(pageFrame, nullptr);
            const QImage background =
                pageFrame->palette().brush(QPalette::Window).texture().toImage().convertToFormat(QImage::Format_RGB32);
            ASSERT_FALSE(background.isNull());
            int checked = 0;
            for (QWidget* c : pageFrame->findChildren<QWidget*>()) {
                if (!c->isVisible() || !isDrawnControl(c))
                    continue;
                if (auto* label = qobject_cast<QLabel*>(c); label && label->text().isEmpty())
                    continue;
                const QRect inPicture(c->mapTo(frame, QPoint(0, 0)), c->size());
                const int drawn = drawnPixels(picture, inPicture, background, c->mapTo(pageFrame, QPoint(0, 0)));
                // A value text may be a single digit on a dark well; anything else covers more.
                const int least = c->inherits("CTextSlider_VANTREL_KXE") ? 6 : std::max(12, c->width() * c->height() / 25);
                EXPECT_GE(drawn, least)
                    << w.picture << " page " << page << ": " << c->metaObject()->className() << " "
                    << qPrintable(c->property("namedAddress").toString()) << qPrintable(c->objectName()) << " at "
                    << inPicture.x() << "," << inPicture.y();
                ++checked;
            }
            EXPECT_GE(checked, 2) << w.picture << " page " << page;
            // Each page's own picture name, for people to look at.
            const QString named = pictureFolder()
                                  + QStringLiteral("/%1-page%2.png").arg(QString::fromLatin1(w.picture).chopped(4)).arg(page);
            QFile::remove(named);
            EXPECT_TRUE(QFile::copy(QDir(folder).filePath(QLatin1String(w.picture)), named));
        }
    }
}
