// The name editor: the characters it admits, trimming, and how an edit ends.
#include "widgets/CNameEditor_VANTREL_KXE.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QValidator>
#include <gtest/gtest.h>

TEST(NameEditor, AdmitsOnlySevenBitPrintableNameCharacters)
{
    CNameEditor_VANTREL_KXE editor;
    struct Case
    {
        QString text;
        bool admitted;
    };
    const Case cases[] = {
        {QStringLiteral("Warm Pad 2"), true},
        {QStringLiteral("A/B!$%&*+,-.:;<=>?@^_'`()[]"), true},
        {QStringLiteral("\"#\\"), true},
        {QStringLiteral("Caf\u00e9"), false},      // accented letter
        {QStringLiteral("Tab\there"), false},      // a tab is no blank of a name
        {QStringLiteral("Wide\u3000blank"), false}, // a Unicode blank
        {QStringLiteral("Line\nbreak"), false},
        {QStringLiteral("{curly}"), false},
        {QStringLiteral("~|"), false},
    };
    for (const Case& c : cases) {
        QString text = c.text;
        int pos = 0;
        EXPECT_EQ(editor.validator()->validate(text, pos) == QValidator::Acceptable, c.admitted)
            << c.text.toStdString();
    }
    // Typing a refused character changes nothing.
    QTest::keyClicks(&editor, QStringLiteral("B"));
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u00e9"));
    QApplication::sendEvent(&editor, &accented);
    QTest::keyClicks(&editor, QStringLiteral("a"));
    EXPECT_EQ(editor.text(), QStringLiteral("Ba"));
}

TEST(NameEditor, TrancateModes)
{
    struct Case
    {
        CNameEditor_VANTREL_KXE::TrancateMode mode;
        QString in, out;
    };
    const Case cases[] = {
        {CNameEditor_VANTREL_KXE::TrancateTrailing, QStringLiteral("Bass  "), QStringLiteral("Bass")},
        {CNameEditor_VANTREL_KXE::TrancateLeading, QStringLiteral("  Bass"), QStringLiteral("Bass")},
        {CNameEditor_VANTREL_KXE::TrancateTrailing, QStringLiteral("   "), QStringLiteral("   ")},
        {CNameEditor_VANTREL_KXE::TrancateBoth, QStringLiteral(" Deep  Bass "), QStringLiteral("Deep  Bass")},
        {CNameEditor_VANTREL_KXE::TrancateNone, QStringLiteral(" Bass "), QStringLiteral(" Bass ")},
    };
    for (const Case& c : cases) {
        CNameEditor_VANTREL_KXE editor;
        editor.setTrancateMode(c.mode);
        editor.setText(c.in);
        EXPECT_EQ(editor.text(), c.out) << int(c.mode);
    }
}

TEST(NameEditor, ReturnAcceptsOnceEscapeAbortsAndLeavingAccepts)
{
    QWidget window;
    window.setFocusPolicy(Qt::StrongFocus);
    auto* editor = new CNameEditor_VANTREL_KXE(&window);
    auto* other = new QLineEdit(&window);
    other->move(0, 40);
    QSignalSpy accepted(editor, &CNameEditor_VANTREL_KXE::acceptEdit);
    QSignalSpy aborted(editor, &CNameEditor_VANTREL_KXE::abortEdit);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    editor->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor->isEditing(); }));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_FALSE(editor->hasFocus()); // the focus went to the parent: no second accept
    EXPECT_EQ(accepted.count(), 1);

    editor->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor->isEditing(); }));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(aborted.count(), 1);
    EXPECT_EQ(accepted.count(), 1);

    editor->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor->isEditing(); }));
    other->setFocus(); // clicking elsewhere
    EXPECT_EQ(accepted.count(), 2);
    EXPECT_FALSE(editor->isEditing());
}
