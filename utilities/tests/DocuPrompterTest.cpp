// The document frame's real prompter: which answer each button (or Escape) of each
// prompt gives, and the caption and text the user reads.
#include "utilities/DocuPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using NS_Utilities::IDocuPrompter;
using NS_Utilities::TDocuPrompter;

namespace {

// Answers the first modal widget with `act` once it shows (again after a while, should
// it still be open); every other modal widget (one the prompt should not have opened)
// is counted and closed.
class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(QWidget*)> act) : m_act(std::move(act))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            if (!m_first) {
                m_first = modal;
                ++m_seen;
                if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                    caption = box->windowTitle();
                    text = box->text();
                    icon = box->icon();
                }
                m_act(modal);
                m_ticks = 0;
            } else if (modal == m_first) {
                if (++m_ticks % 10 == 0)
                    m_act(modal);
            } else if (!m_others.contains(modal)) {
                m_others.append(modal);
                ++m_seen;
                modal->close();
            }
        });
        m_timer.start(20);
    }
    int modalsSeen() const { return m_seen; }
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;

private:
    std::function<void(QWidget*)> m_act;
    QTimer m_timer;
    QPointer<QWidget> m_first;
    QList<QPointer<QWidget>> m_others;
    int m_seen = 0;
    int m_ticks = 0;
};

// Clicks the button of the box whose text is `label` (mnemonics ignored).
std::function<void(QWidget*)> click(const char* label)
{
    return [label](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->buttons()) {
            if (b->text().remove(QLatin1Char('&')) == QLatin1String(label)) {
                b->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << label;
        box->close();
    };
}

std::function<void(QWidget*)> escape()
{
    return [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); };
}

struct PromptCase
{
    const char* name;
    int kind; // 0 question with cancel, 1 question, 2 warning, 3 warning with cancel
    std::function<void(QWidget*)> act;
    IDocuPrompter::Answer answer;
};

} // namespace

TEST(DocuPrompter, EachButtonOfEachPromptGivesItsAnswer)
{
    const PromptCase cases[] = {
        {"Save changes: Yes", 0, click("Yes"), IDocuPrompter::Yes},
        {"Save changes: No", 0, click("No"), IDocuPrompter::No},
        {"Save changes: Cancel", 0, click("Cancel"), IDocuPrompter::Cancel},
        {"Save changes: Escape", 0, escape(), IDocuPrompter::Cancel},
        {"Question: Yes", 1, click("Yes"), IDocuPrompter::Yes},
        {"Question: No", 1, click("No"), IDocuPrompter::No},
        {"Question: Escape is No", 1, escape(), IDocuPrompter::No},
        {"Warning: Yes", 2, click("Yes"), IDocuPrompter::Yes},
        {"Warning: No", 2, click("No"), IDocuPrompter::No},
        {"Warning: Escape is No", 2, escape(), IDocuPrompter::No},
        {"Warning with cancel: Yes", 3, click("Yes"), IDocuPrompter::Yes},
        {"Warning with cancel: No", 3, click("No"), IDocuPrompter::No},
        {"Warning with cancel: Cancel", 3, click("Cancel"), IDocuPrompter::Cancel},
        {"Warning with cancel: Escape is Cancel", 3, escape(), IDocuPrompter::Cancel},
    };
    TDocuPrompter prompter;
    for (const PromptCase& c : cases) {
        ModalAnswer answer(c.act);
        const QString caption = QStringLiteral("Caption %1").arg(c.kind);
        const QString text = QStringLiteral("Replace the file?");
        IDocuPrompter::Answer got = IDocuPrompter::Cancel;
        if (c.kind == 2)
            got = prompter.warning(nullptr, caption, text);
        else if (c.kind == 3)
            got = prompter.warningWithCancel(nullptr, caption, text);
        else
            got = prompter.question(nullptr, caption, text, c.kind == 0);
        EXPECT_EQ(got, c.answer) << c.name;
        EXPECT_EQ(answer.icon, c.kind >= 2 ? QMessageBox::Warning : QMessageBox::Question) << c.name;
        EXPECT_EQ(answer.modalsSeen(), 1) << c.name;
        EXPECT_EQ(answer.caption, caption) << c.name;
        EXPECT_EQ(answer.text, text) << c.name;
    }
}

TEST(DocuPrompter, MessagesShowTheirTextAndCloseWithOk)
{
    TDocuPrompter prompter;
    const QMessageBox::Icon icons[] = {QMessageBox::Critical, QMessageBox::Information, QMessageBox::Critical,
                                       QMessageBox::Warning};
    for (int kind = 0; kind < 4; ++kind) {
        ModalAnswer answer(click("OK"));
        const QString text = QStringLiteral("The file cannot be read (%1).").arg(kind);
        if (kind == 0)
            prompter.critical(nullptr, QStringLiteral("Open"), text);
        else if (kind == 1)
            prompter.information(nullptr, QStringLiteral("Open"), text);
        else if (kind == 2)
            static_cast<IDocuPrompter&>(prompter).IDocuPrompter::information(nullptr, QStringLiteral("Open"), text);
        else
            prompter.warningMessage(nullptr, QStringLiteral("Open"), text);
        EXPECT_EQ(answer.modalsSeen(), 1) << kind;
        EXPECT_EQ(answer.text, text) << kind;
        EXPECT_EQ(answer.icon, icons[kind]) << kind;
    }
}
