#pragma once
// The questions, messages and file dialogs of the document frame, replaceable so
// that tests answer them. GUI thread.
#include "vantrel_kxe21_utilities_export.h"
#include <QString>

class QWidget;

namespace NS_Utilities {

class VANTREL_UTILITIES_EXPORT IDocuPrompter
{
public:
    enum Answer { Yes, No, Cancel };
    virtual ~IDocuPrompter();
    // withCancel: Yes (default), No, Cancel (escape); else "&Yes" (default) and "&No" (escape).
    virtual Answer question(QWidget* parent, const QString& caption, const QString& text,
                            bool withCancel) = 0;
    virtual void critical(QWidget* parent, const QString& caption, const QString& text) = 0;
    // "&Yes" and "&No", "&No" both default and escape: for a question whose safe answer
    // is no (overwrite a file). By default asked as question() without Cancel.
    virtual Answer warning(QWidget* parent, const QString& caption, const QString& text);
    // Yes (default), No, Cancel (escape) in a warning box: for a question whose No
    // throws work away. By default asked as question() with Cancel.
    virtual Answer warningWithCancel(QWidget* parent, const QString& caption, const QString& text);
    // A message with one OK button. By default shown as critical().
    virtual void information(QWidget* parent, const QString& caption, const QString& text);
    // A warning with one OK button. By default shown as information().
    virtual void warningMessage(QWidget* parent, const QString& caption, const QString& text);
    // Empty when cancelled; symbolic links resolved. An empty start leaves the folder to
    // the toolkit.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& start,
                                 const QString& filter, QString* selectedFilter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& start,
                                 const QString& filter, QString* selectedFilter) = 0;
};

// The toolkit's message boxes and file dialogs.
class VANTREL_UTILITIES_EXPORT TDocuPrompter : public IDocuPrompter
{
public:
    Answer question(QWidget* parent, const QString& caption, const QString& text,
                    bool withCancel) override;
    void critical(QWidget* parent, const QString& caption, const QString& text) override;
    Answer warning(QWidget* parent, const QString& caption, const QString& text) override;
    Answer warningWithCancel(QWidget* parent, const QString& caption, const QString& text) override;
    void information(QWidget* parent, const QString& caption, const QString& text) override;
    void warningMessage(QWidget* parent, const QString& caption, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& start,
                         const QString& filter, QString* selectedFilter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& start,
                         const QString& filter, QString* selectedFilter) override;
};

} // namespace NS_Utilities
