#pragma once
// A label bound to one parameter that shows the current choice, as text or as one
// frame of a combined image, and opens a checkable menu of all choices when clicked.
// GUI thread; process() may be entered from any thread and then only posts.
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "vantrel_kxe21_widgets_export.h"

#include <QLabel>
#include <QMap>
#include <QPixmap>
#include <QStringList>
#include <memory>

class CMenuObject_VANTREL_KXE;

class VANTREL_WIDGETS_EXPORT CPullDownMenu_VANTREL_KXE : public QLabel, public TMemProxy_VANTREL_KXE
{
    Q_OBJECT
    Q_PROPERTY(QPixmap combinedImage READ combinedImage WRITE setCombinedImage)
    Q_PROPERTY(QString menuItemList READ menuItemList WRITE setMenuItemList)
    Q_PROPERTY(int nSubImages READ nSubImages WRITE setnSubImages)
    Q_PROPERTY(bool enableFocusRect READ enableFocusRect WRITE setEnableFocusRect)
    Q_PROPERTY(bool sorted READ sorted WRITE setSorted)
    Q_PROPERTY(bool wantCheck READ wantCheck WRITE setWantCheck)
    Q_PROPERTY(QString namedAddress READ namedAddress WRITE setNamedAddress)
    Q_PROPERTY(bool undoEnable READ isUndoEnable WRITE setUndoEnable)
    Q_PROPERTY(int numDefaultKind READ numDefaultKind WRITE setNumDefaultKind)
public:
    explicit CPullDownMenu_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);
    ~CPullDownMenu_VANTREL_KXE() override;

    QPixmap combinedImage() const;
    QString menuItemList() const;
    int nSubImages() const;
    bool enableFocusRect() const;
    bool sorted() const;
    bool wantCheck() const;
    int current() const;
    int selectedItem() const;
    // Number of entries.
    int items() const;
    CMenuObject_VANTREL_KXE* menu() const;
    int memapiToMenu(int position) const;
    int menuToMemapi(int id) const;
    // The text without surrounding blanks, with zeros in front up to 10 characters.
    static QString padWithZeros(const QString& text);
    void popup();
    void updateDimensions();
    void adjustParams();
    // Designer forms call setters by the capitalised property name.
    void setNSubImages(int frames) { setnSubImages(frames); }
    void connectMemAPI() override;

public slots:
    void process(const uint8_t* rawData, int operation, uint32_t flags) override;
    bool setNamedAddress(const QString& text) override;
    TMemProxy_VANTREL_KXE* setUndoEnable(bool enable) override;
    TMemProxy_VANTREL_KXE* setNumDefaultKind(int kind) override;
    void setCombinedImage(const QPixmap& image);
    void setMenuItemList(const QString& text);
    void setnSubImages(int frames);
    void setEnableFocusRect(bool enable);
    void setCurrentImage(int index);
    void toggleImage();
    void indexChanged(int index);
    void setSorted(bool sorted);
    void setWantCheck(bool want);
    void incMenu();
    void decMenu();
    void changedTheMenu(int id);

signals:
    void valueChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct CPullDownMenu_PD;
    void updateCheck(int id);
    // Shows the entry chosen in memory, when it is one of the entries.
    void showPosition(int position);

    std::unique_ptr<CPullDownMenu_PD> d;
};

using CPullDownMenu = CPullDownMenu_VANTREL_KXE;
