#include "utilities/DocuPrompter.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace NS_Utilities {

namespace {

IDocuPrompter::Answer answerOf(QMessageBox::StandardButton button)
{
    if (button == QMessageBox::Yes)
        return IDocuPrompter::Yes;
    return button == QMessageBox::No ? IDocuPrompter::No : IDocuPrompter::Cancel;
}

} // namespace

IDocuPrompter::~IDocuPrompter() = default;

IDocuPrompter::Answer IDocuPrompter::warning(QWidget* parent, const QString& caption,
                                             const QString& text)
{
    return question(parent, caption, text, false);
}

IDocuPrompter::Answer IDocuPrompter::warningWithCancel(QWidget* parent, const QString& caption,
                                                       const QString& text)
{
    return question(parent, caption, text, true);
}

void IDocuPrompter::information(QWidget* parent, const QString& caption, const QString& text)
{
    critical(parent, caption, text);
}

void IDocuPrompter::warningMessage(QWidget* parent, const QString& caption, const QString& text)
{
    information(parent, caption, text);
}

IDocuPrompter::Answer TDocuPrompter::question(QWidget* parent, const QString& caption,
                                              const QString& text, bool withCancel)
{
    if (withCancel) {
        return answerOf(QMessageBox::question(
            parent, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
            QMessageBox::Yes));
    }
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QObject::tr("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QObject::tr("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? Yes : No;
}

void TDocuPrompter::critical(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox::critical(parent, caption, text);
}

IDocuPrompter::Answer TDocuPrompter::warning(QWidget* parent, const QString& caption,
                                             const QString& text)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QCoreApplication::translate("@MacOSX", "&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QCoreApplication::translate("@MacOSX", "&No"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? Yes : No;
}

IDocuPrompter::Answer TDocuPrompter::warningWithCancel(QWidget* parent, const QString& caption,
                                                       const QString& text)
{
    return answerOf(QMessageBox::warning(parent, caption, text,
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                         QMessageBox::Yes));
}

void TDocuPrompter::information(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox::information(parent, caption, text);
}

void TDocuPrompter::warningMessage(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox::warning(parent, caption, text);
}

QString TDocuPrompter::openFileName(QWidget* parent, const QString& caption, const QString& start,
                                    const QString& filter, QString* selectedFilter)
{
    return QFileDialog::getOpenFileName(parent, caption, start, filter, selectedFilter);
}

QString TDocuPrompter::saveFileName(QWidget* parent, const QString& caption, const QString& start,
                                    const QString& filter, QString* selectedFilter)
{
    // The frame asks before overwriting, with its own texts.
    return QFileDialog::getSaveFileName(parent, caption, start, filter, selectedFilter,
                                        QFileDialog::DontConfirmOverwrite);
}

} // namespace NS_Utilities
