// The label display: the alternative text of a drag, units cut off, disabled looks
// and typed numbers.
#include "WidgetTestSupport.h"
#include "widgets/CLabelDisplay_VANTREL_KXE.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <string>

using namespace NS_WidgetTest;

namespace {
bool everyPixelIs(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != colour)
                return false;
    return true;
}
} // namespace

TEST(LabelDisplay, AlternativeTextStaysUntil700MsAfterTheEnd)
{
    CLabelDisplay_VANTREL_KXE label;
    label.resize(60, 16);
    label.setText(QStringLiteral("Volume"));
    label.altDisplayBegin();
    label.setText(QStringLiteral("100"));
    EXPECT_EQ(label.text(), QStringLiteral("100"));
    EXPECT_EQ(label.storedText(0), QStringLiteral("Volume"));
    QElapsedTimer clock;
    clock.start();
    label.altDisplayEnd();
    EXPECT_EQ(label.text(), QStringLiteral("100"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return label.text() == QStringLiteral("Volume"); })) << "label.text()";
    EXPECT_GE(clock.elapsed(), CLabelDisplay_VANTREL_KXE::kAltDisplayEndMs - 50);
    EXPECT_EQ(label.alternativeDepth(), 0);

    // The next drag starts with the last alternative text.
    label.altDisplayBegin();
    EXPECT_EQ(label.text(), QStringLiteral("100"));
    label.altDisplayEnd();
    ASSERT_TRUE(QTest::qWaitFor([&] { return label.alternativeDepth() == 0; })) << "label.alternativeDepth()";
    EXPECT_EQ(label.text(), QStringLiteral("Volume"));
}

TEST(LabelDisplay, AlternativeDepthNeverGoesBelowZero)
{
    CLabelDisplay_VANTREL_KXE label;
    label.setText(QStringLiteral("Pan"));
    // Ends without beginnings, and more ends than beginnings.
    label.altDisplayEnd();
    label.handle_altDisplayEnd();
    EXPECT_EQ(label.alternativeDepth(), 0);
    label.altDisplayBegin();
    label.altDisplayEnd();
    label.altDisplayEnd();
    label.altDisplayEnd();
    ASSERT_TRUE(QTest::qWaitFor([&] { return label.alternativeDepth() == 0; })) << "label.alternativeDepth()";
    QTest::qWait(CLabelDisplay_VANTREL_KXE::kAltDisplayEndMs / 2);
    EXPECT_EQ(label.alternativeDepth(), 0);
    EXPECT_EQ(label.text(), QStringLiteral("Pan"));
    // Nested drags come back out one level per end.
    label.altDisplayBegin();
    label.altDisplayBegin();
    label.altDisplayEnd();
    label.altDisplayEnd();
    ASSERT_TRUE(QTest::qWaitFor([&] { return label.alternativeDepth() == 0; })) << "label.alternativeDepth()";
    EXPECT_EQ(label.text(), QStringLiteral("Pan"));
}

struct UnitCase
{
    const char* name;
    const char* text;
    const char* shown;
};

class LabelNoUnit : public ::testing::TestWithParam<UnitCase>
{
};

TEST_P(LabelNoUnit, DropsTheLastTwoCharacters)
{
    CLabelDisplay_VANTREL_KXE label;
    label.setTextNoUnit(QString::fromUtf8(GetParam().text));
    EXPECT_EQ(label.text(), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Texts, LabelNoUnit,
                         ::testing::Values(UnitCase{"Decibels", "12.5dB", "12.5"}, UnitCase{"Hertz", "440Hz", "440"},
                                           UnitCase{"OneCharacter", "x", ""}, UnitCase{"Empty", "", ""}),
                         [](const ::testing::TestParamInfo<UnitCase>& info) { return std::string(info.param.name); });

TEST(LabelDisplay, SameTextTwiceRebuildsNothing)
{
    CLabelDisplay_VANTREL_KXE label;
    label.resize(40, 16);
    label.setText(QStringLiteral("64"));
    const qint64 first = label.look().cacheKey();
    label.setText(QStringLiteral("64"));
    EXPECT_EQ(label.look().cacheKey(), first);
    label.setText(QStringLiteral("65"));
    EXPECT_NE(label.look().cacheKey(), first);
}

TEST(LabelDisplay, DisabledLooksWithAndWithoutGreyText)
{
    CLabelDisplay_VANTREL_KXE label;
    label.resize(60, 20);
    label.setText(QStringLiteral("WWWW"));
    label.setEnabled(false);
    // No text at all, on the disabled fill.
    EXPECT_TRUE(everyPixelIs(label.grab().toImage(), qRgb(52, 54, 63)));
    label.setGreyOnDisable(true);
    const QImage grey = label.grab().toImage();
    EXPECT_FALSE(everyPixelIs(grey, qRgb(52, 54, 63)));

    // With a two-row background the disabled row is drawn instead.
    label.setcombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_label.png", {60, 20}, 2)));
    label.setnSubImages(2);
    label.setGreyOnDisable(false);
    EXPECT_TRUE(everyPixelIs(label.grab().toImage(), frameColour(1)));
    label.setEnabled(true);
    EXPECT_EQ(label.grab().toImage().pixel(1, 1), frameColour(0));
}

TEST(LabelDisplay, DoubleClickEditsOnlyAnEditableLabel)
{
    QWidget top;
    auto* label = new CLabelDisplay_VANTREL_KXE(&top);
    label->setGeometry(0, 0, 60, 20);
    label->setText(QStringLiteral("12.5dB"));
    top.show();
    top.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
    QSignalSpy typed(label, &CLabelDisplay_VANTREL_KXE::valueChanged);

    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(label->findChild<QLineEdit*>(), nullptr);

    label->setEditable(true);
    QTest::mouseDClick(label, Qt::LeftButton);
    auto* box = label->findChild<QLineEdit*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("12.5"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }));
    QTest::keyClicks(box, QStringLiteral("3"));
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_EQ(typed.count(), 1);
    EXPECT_DOUBLE_EQ(typed.at(0).at(0).toDouble(), 3.0);
}

TEST(LabelDisplay, WithTheFocusTheLabelIsMarkedOrInvertedInTheFocusColour)
{
    QWidget top;
    auto* label = new CLabelDisplay_VANTREL_KXE(&top);
    label->setGeometry(0, 0, 60, 18);
    QPalette p = label->palette();
    p.setColor(label->backgroundRole(), QColor(100, 100, 100));
    p.setColor(label->foregroundRole(), Qt::white);
    label->setPalette(p);
    label->setText(QStringLiteral("12"));
    ASSERT_TRUE(label->setProperty("focusColor", QColor(Qt::red)));
    EXPECT_EQ(label->focusPolicy(), Qt::StrongFocus);
    ASSERT_TRUE(label->setProperty("inverseColorOnFocus", true));
    EXPECT_TRUE(label->inverseColorOnFocus());
    top.show();
    top.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
    label->clearFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !label->hasFocus(); }));
    EXPECT_EQ(label->grab().toImage().pixelColor(1, 1), QColor(100, 100, 100));
    label->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return label->hasFocus(); }));
    // Inverted: the fill is the focus colour.
    EXPECT_EQ(label->grab().toImage().pixelColor(1, 1), QColor(Qt::red));
    label->setInverseColorOnFocus(false);
    // Marked: the focus colour's hue at the fill's brightness.
    EXPECT_EQ(label->grab().toImage().pixelColor(1, 1), QColor(100, 0, 0));

    // A new font is drawn at once.
    QFont big = label->font();
    big.setPointSize(big.pointSize() + 8);
    const QImage before = label->grab().toImage();
    label->setFont(big);
    EXPECT_EQ(label->font().pointSize(), big.pointSize());
    EXPECT_NE(label->grab().toImage(), before);
}

TEST(LabelDisplay, FormPropertiesReachTheLabel)
{
    CLabelDisplay_VANTREL_KXE label;
    const struct
    {
        const char* name;
        QVariant value;
    } props[] = {{"nSubImages", 3}, {"editable", true}, {"editFormat", QStringLiteral("%.2f")}, {"greyOnDisable", true}};
    for (const auto& prop : props) {
        ASSERT_TRUE(label.setProperty(prop.name, prop.value)) << prop.name;
        EXPECT_EQ(label.property(prop.name), prop.value) << prop.name;
    }
    EXPECT_TRUE(label.property("combinedImage").value<QPixmap>().isNull());
    EXPECT_FALSE(label.property("focusColor").value<QColor>().isValid());
}
