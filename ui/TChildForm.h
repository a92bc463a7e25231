#pragma once

#include "Component/RecordWindows.h"

#include <QWidget>

#include <string>

class QAction;
class QGroupBox;
class QLabel;
class QMdiSubWindow;
class QMenu;
class QPagedPaintDevice;
class QTabWidget;
class QToolButton;
class QVBoxLayout;
class RecordStore;
class TDBMower;
class TTVXLogTab;
class TVXLog;
class UserInteraction;

// The window of one record, shown in a sub-window of the main window's MDI
// area: the owner and machine data on the left, one tab per history on the
// right. The window never changes the record itself: every change goes
// through the entry, which writes the record file and tells the list.
//
// The window lives until the end of the run (the entry keeps a pointer to
// it): closing it only hides its sub-window, and bringToFront shows it again
// as it was.
class TChildForm : public QWidget, public RecordWindow {
    Q_OBJECT
public:
    // The tabs of the record's histories, in the record's order, the last
    // one active. `user` answers the owner-data dialog's boxes.
    TChildForm(TDBMower& mower, UserInteraction& user, QWidget* parent = nullptr);
    ~TChildForm() override;

    void bringToFront() override;
    void showHistory(const TVXLogTime& date) override;
    // Hands every tab's memo to the entry (no write: the caller writes).
    void storeComments() override;
    void showRecord() override;

    QSize sizeHint() const override;

    // Reads the owner and machine data and the title from the record again.
    void refreshGeneralInformation();

    TDBMower& mower() const { return mower_; }
    // The window's own menu; the main window shows it in its menu bar while
    // this window is the active one.
    QMenu* editionMenu() const { return editionMenu_; }
    QTabWidget* pageControl() const { return pages_; }
    // The active history tab; null while the record holds no history.
    TTVXLogTab* activeTab() const;
    // The sub-window that holds the window; null until the area takes it.
    QMdiSubWindow* subWindow() const;

public slots:
    // Opens the owner-data dialog; the general information is refreshed after it.
    void changeOwnerDataClick();
    // Deletes the active tab's history through the entry (it asks first).
    void deleteLogClick();
    // Puts the owner data and the active tab's history on the clipboard.
    void copyDataClick();
    // The service report of the active history (the newest on the trends
    // tab): saved as a PDF file the user names, or printed.
    void serviceReportClick();
    void printServiceReportClick();
    // The record's history of changes, where its database keeps one (a
    // server); a message says that a folder keeps none.
    void changeHistoryClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    // The owner and machine data: the fixed column on the window's left.
    QWidget* buildGeneralInformation();
    void buildMenus();
    void setCaptions();
    // A caption and the value below it; the value wraps within the column.
    QLabel* addValue(QVBoxLayout* column, const char* captionName, QLabel*& caption, const char* valueName);
    void setValue(QLabel* label, const std::string& value);
    void fitValue(QLabel* label);
    TTVXLogTab* addTab(TVXLog& history, int index);
    // One tab per history of the record, in the record's order.
    void showWholeRecord();
    TTVXLogTab* tabAt(int index) const;
    int indexOf(const TVXLogTime& date) const;
    void removeTab(TTVXLogTab* tab);
    // The pop-up of the tab at that index (made the active one), at a point
    // of the screen.
    void openTabPopup(int index, const QPoint& globalPos);
    // The active tab's pop-up, from the keyboard: below the tab's caption.
    void openActiveTabPopup();
    void updateActions();
    // The list of every reading (and the trends tab), made as it opens.
    void fillReadingsMenu();
    // The tab whose history the report is of: the active one, the newest on the trends tab.
    TTVXLogTab* reportTab() const;
    // The report of that tab's history, with its memo as it stands.
    bool renderServiceReport(const TTVXLogTab& tab, QPagedPaintDevice* printer, const QString& pdfPath);

    TDBMower& mower_;
    UserInteraction& user_;
    bool restoreMaximized_ = true;

    QGroupBox* generalInfo_ = nullptr;
    QGroupBox* clientRef_ = nullptr;
    QGroupBox* machineInfo_ = nullptr;
    QLabel* nameCaption_ = nullptr;
    QLabel* surnameCaption_ = nullptr;
    QLabel* addressCaption_ = nullptr;
    QLabel* machineNumberCaption_ = nullptr;
    QLabel* serialCaption_ = nullptr;
    QLabel* softwareCaption_ = nullptr;
    QLabel* bootloaderCaption_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* surname_ = nullptr;
    QLabel* address_ = nullptr;
    QLabel* machineNumber_ = nullptr;
    QLabel* serial_ = nullptr;
    QLabel* software_ = nullptr;
    QLabel* bootloader_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QToolButton* readings_ = nullptr;
    QMenu* readingsMenu_ = nullptr;

    QMenu* editionMenu_ = nullptr;
    QAction* changeOwnerData_ = nullptr;
    QAction* deleteLog_ = nullptr;
    QAction* copyData_ = nullptr;
    QAction* serviceReport_ = nullptr;
    QAction* printServiceReport_ = nullptr;
    QAction* changeHistory_ = nullptr;
    QMenu* tabPopup_ = nullptr;
};
