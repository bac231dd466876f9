// Tab and Shift+Tab inside a view window: they move among the view's own controls,
// skip what cannot take the focus, wrap at either end, and never leave for another
// window of the workspace.
#include "addons/shell/TTovarScrollView.h"
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class TabWrap : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_area = new QMdiArea(&m_main);
        m_main.setCentralWidget(m_area);
        m_main.resize(1200, 800);

        // Another window first, with controls of its own.
        auto* other = new QWidget;
        for (int i = 0; i < 2; ++i)
            (new QLineEdit(other))->move(10, 30 * i);
        m_area->addSubWindow(other)->show();

        // A view window's frame around a view of nothing but the controls below (the
        // add-ons' own views are tested with their controls elsewhere).
        auto* frame = new TTovarScrollView(nullptr, nullptr, TTovarScrollView::kViewWindowFlags, nullptr,
                                           QString(), 0);
        auto* view = new QWidget;
        view->setFixedSize(500, 100);
        frame->setView(view, QStringLiteral("View"));
        auto add = [&](const char* name, int x) {
            auto* edit = new QLineEdit(view);
            edit->setObjectName(QString::fromLatin1(name));
            edit->setGeometry(x, 10, 60, 20);
            return edit;
        };
        add("a", 10);
        add("disabled", 80)->setEnabled(false);
        add("b", 150);
        add("clickOnly", 220)->setFocusPolicy(Qt::ClickFocus);
        add("hidden", 290)->hide();
        add("c", 360);
        m_view = view;
        m_area->addSubWindow(frame)->show();
        m_main.show();
        QApplication::setActiveWindow(&m_main);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_main));
    }

    QLineEdit* edit(const char* name) { return m_view->findChild<QLineEdit*>(QString::fromLatin1(name)); }

    QMainWindow m_main;
    QMdiArea* m_area = nullptr;
    QWidget* m_view = nullptr;
};

} // namespace

TEST_F(TabWrap, StaysInsideTheViewAndWrapsAtBothEnds)
{
    struct Step
    {
        const char* from;
        bool backwards;
        const char* to;
    };
    const Step steps[] = {
        {"a", false, "b"}, // past the disabled one
        {"b", false, "c"}, // past click-only and hidden ones
        {"c", false, "a"}, // wraps to the first, not into the other window
        {"a", true, "c"},  // and back
        {"c", true, "b"},
    };
    for (const Step& s : steps) {
        QLineEdit* from = edit(s.from);
        from->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return from->hasFocus(); }));
        QTest::keyClick(from, Qt::Key_Tab, s.backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QWidget* focus = QApplication::focusWidget();
        EXPECT_EQ(focus ? focus->objectName() : QString(), QString::fromLatin1(s.to))
            << s.from << (s.backwards ? " Shift+Tab" : " Tab");
    }
}
