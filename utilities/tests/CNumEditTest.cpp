// The inline number entry a display control opens over itself.
#include "utilities/CNumEdit_VANTREL_KXE.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>

using NS_Utilities::CNumEdit_VANTREL_KXE;

struct EditCase
{
    const char* name;
    const char* text;
    const char* format;
    const char* shown;
};

class NumEditText : public ::testing::TestWithParam<EditCase>
{
};

TEST_P(NumEditText, ShowsTheNumberBeforeTheUnitInTheFormat)
{
    QWidget owner;
    owner.resize(40, 16);
    owner.show();
    CNumEdit_VANTREL_KXE edit(&owner);
    edit.doEdit(QString::fromUtf8(GetParam().text), GetParam().format);
    QLineEdit* box = edit.editBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QString::fromUtf8(GetParam().shown));
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->selectedText(), box->text());
    EXPECT_EQ(box->geometry(), owner.rect());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumEditText,
    ::testing::Values(EditCase{"Decibels", "12.5dB", "%.1f", "12.5"},
                      EditCase{"NegativeWithSpace", "-3 dB", "%.0f", "-3"},
                      EditCase{"NoUnit", "7", "%.2f", "7.00"},
                      EditCase{"EuroShownAsItStands", "12\xE2\x82\xAC" "ab", "%.1f", "12\xE2\x82\xAC"},
                      // Unit or stray texts are never a printf format.
                      EditCase{"PercentUnitAsFormat", "50%", "50%", "50.0"},
                      EditCase{"StringConversion", "4.5ms", "%s", "4.5"},
                      EditCase{"TwoConversions", "4.5ms", "%f%f", "4.5"},
                      EditCase{"IntegerConversion", "4.5ms", "%d", "4.5"},
                      EditCase{"NullFormat", "4.5ms", nullptr, "4.5"}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

TEST(NumEdit, ReturnProposesTheNumberAndFocusLossAbandonsIt)
{
    QWidget top;
    top.resize(100, 40);
    auto* owner = new QWidget(&top);
    owner->setFocusPolicy(Qt::StrongFocus);
    owner->setGeometry(0, 0, 40, 16);
    auto* other = new QLineEdit(&top);
    other->setGeometry(50, 0, 40, 16);
    top.show();
    top.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&top));

    CNumEdit_VANTREL_KXE edit(owner);
    QSignalSpy proposed(&edit, &CNumEdit_VANTREL_KXE::numberProposed);
    edit.doEdit(QStringLiteral("1.0dB"), "%.1f");
    QLineEdit* box = edit.editBox();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }));
    QTest::keyClicks(box, QStringLiteral("-2.5"));
    // The entry's context menu takes the focus while it is open; the number typed stays.
    QContextMenuEvent menuAt(QContextMenuEvent::Mouse, QPoint(2, 2), box->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(box, &menuAt);
    QWidget* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    menu->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }));
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), QStringLiteral("-2.5"));
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_EQ(proposed.count(), 1);
    EXPECT_DOUBLE_EQ(proposed.at(0).at(0).toDouble(), -2.5);
    EXPECT_FALSE(box->isVisible());

    // The same box is reused; moving the focus away ends the entry without a number.
    edit.doEdit(QStringLiteral("3"), "%.1f");
    EXPECT_EQ(edit.editBox(), box);
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }));
    other->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !box->isVisible(); }));
    EXPECT_EQ(proposed.count(), 1);

    // Without a widget parent there is nothing to edit.
    CNumEdit_VANTREL_KXE orphan(nullptr);
    EXPECT_EQ(orphan.editBox(), nullptr);
    orphan.doEdit(QStringLiteral("1"), "%.1f");
}
