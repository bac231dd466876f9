// Value tips, the per-window record registry and the small shared templates.
#include "widgets/CDialTip.h"
#include "widgets/CFaderTip.h"
#include "widgets/ControlTemplates.h"
#include "widgets/TCacheServer.h"
#include "widgets/TCachedData.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {

class CachingWindow : public QWidget, public TCacheServer
{
};

class CountedRecord : public TCachedData
{
public:
    explicit CountedRecord(int* alive) : m_alive(alive) { ++*m_alive; }
    ~CountedRecord() override { --*m_alive; }

private:
    int* m_alive;
};

template <class Tip>
void checkTip()
{
    QWidget parent;
    auto* control = new QWidget(&parent);
    control->setGeometry(10, 20, 26, 26);
    auto* tip = new Tip(control);
    EXPECT_EQ(tip->parentWidget(), &parent);
    EXPECT_TRUE(tip->isHidden());
    EXPECT_EQ(tip->geometry().topLeft(), QPoint(10, 46));
    EXPECT_EQ(tip->size(), QSize(0, 0));
    const QFontMetrics metrics(tip->font());
    tip->setTipText(QString());
    EXPECT_EQ(tip->size(), QSize(2, metrics.height() + 2));
    tip->setTipText(QStringLiteral("-12dB"));
    EXPECT_EQ(tip->size(), QSize(metrics.horizontalAdvance(QStringLiteral("-12dB")) + 2, metrics.height() + 2));
    EXPECT_EQ(tip->text(), QStringLiteral("-12dB"));
    EXPECT_EQ(tip->palette().color(QPalette::Window), QColor(255, 255, 60));
}

} // namespace

TEST(ValueTips, SitBelowTheControlAndFitTheirText)
{
    checkTip<CDialTip>();
    checkTip<CFaderTip>();
}

TEST(CacheServer, RecordsOfOneNameAreSharedAndCounted)
{
    int alive = 0;
    {
        CachingWindow window;
        window.setWindowTitle(QStringLiteral("Part 1"));
        auto* child = new QWidget(new QWidget(&window));
        QString caption;
        EXPECT_EQ(TCacheServer::FindCacheServer(child, &caption), &window);
        EXPECT_EQ(caption, QStringLiteral("Part 1"));

        auto* first = new CountedRecord(&alive);
        first->m_name = QStringLiteral("mute");
        auto* second = new CountedRecord(&alive);
        EXPECT_EQ(window.insert(QStringLiteral("mute"), first), first);
        EXPECT_TRUE(first->m_name.isEmpty());
        EXPECT_EQ(window.insert(QStringLiteral("mute"), second), first);
        EXPECT_EQ(first->m_refCount, 2);
        EXPECT_EQ(alive, 1);
        // The held record offered again is kept, not freed.
        EXPECT_EQ(window.insert(QStringLiteral("mute"), first), first);
        EXPECT_EQ(first->m_refCount, 3);
        EXPECT_EQ(window.insert(QStringLiteral("solo"), nullptr), nullptr);
        EXPECT_EQ(window.recordCount(), 1);
    }
    EXPECT_EQ(alive, 0);

    QWidget plain;
    QString caption = QStringLiteral("unchanged");
    EXPECT_EQ(TCacheServer::FindCacheServer(&plain, &caption), nullptr);
    EXPECT_EQ(caption, QStringLiteral("unchanged"));
    EXPECT_EQ(TCacheServer::FindCacheServer(nullptr), nullptr);
}

TEST(ControlTemplates, RootObjectSafeDeleteAndGeometryChange)
{
    CachingWindow window;
    auto* inner = new QWidget(&window);
    EXPECT_EQ(rootObjectOfClass<TCacheServer>(inner), &window);
    EXPECT_EQ(rootObjectOfClass<TCacheServer>(&window), &window);
    QWidget alone;
    EXPECT_EQ(rootObjectOfClass<TCacheServer>(&alone), nullptr);
    EXPECT_EQ(rootObjectOfClass<TCacheServer>(nullptr), nullptr);

    int alive = 0;
    auto* record = new CountedRecord(&alive);
    TCachedData* p = record;
    safe_delete1(p);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(alive, 0);
    safe_delete1(p);

    EXPECT_FALSE(NS_Utilities::geometry_change(inner));
    window.show();
    EXPECT_TRUE(NS_Utilities::geometry_change(inner));
    EXPECT_FALSE(NS_Utilities::geometry_change<QWidget>(nullptr));
}
