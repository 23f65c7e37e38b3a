// A tool window beside the main one: its own window (it neither blocks nor stays above the main
// window), a menu bar over a fixed layout, and closing only hides it, so it comes back where
// the user left it.
#pragma once

#include "chipfamily.h"
#include "layout.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <span>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tickora {

class WorkingWindow;

class ToolWindow : public QDialog {
    Q_OBJECT
public:
    ToolWindow(const char* name, const QString& title, QSize client, QWidget* parent);
    ~ToolWindow() override;

    // Takes over the main window's crystal (when it is a number), family and clock.
    virtual void follow(const QString& crystalText, const ChipFamily& family,
                        std::int32_t clock) = 0;

protected:
    QWidget* client() const { return client_; }
    // A label beside the box it names, which its access key focuses.
    QLabel* createLabel(const char* name, const QString& caption, const layout::Twips& where,
                        QWidget* buddy);
    // Every family with each of its clocks; choosing one follows it.
    QComboBox* createChipBox(const layout::Twips& where);
    // A time (named by timeName, captioned timeCaption) with its unit box (uS, mS, S, each
    // holding how many µs one is), the crystal and the chip, in layout::timeRow's places.
    struct TimeInputs {
        QLineEdit* time;
        QComboBox* unit;
        QLineEdit* crystal;
    };
    // A quantity of other units (a frequency: Hz, kHz, MHz) where given, each holding how many
    // of the first it is.
    TimeInputs createTimeInputs(const char* timeName, const QString& timeCaption,
                                const QList<QPair<QString, int>>& units = {});
    // A text box whose whole text is selected when it gets the focus, as in the main window.
    QLineEdit* createInputBox(QWidget* parent, const char* name, const layout::Twips& where);
    // A table of rows chosen whole, one at a time, whose choice stays in sight when the focus
    // leaves it.
    QTableWidget* createTable(const char* name, int columns, const layout::Twips& where,
                              const QStringList& headers);
    // Each column but the last as wide as its widest cell or header, never narrower than
    // designed; the last takes the rest.
    static void fitColumns(QTableWidget* table, std::span<const int> designedTwips);
    // Chooses the family and clock in the list without following them again.
    void showChip(const ChipFamily& family, std::int32_t clock);
    const ChipFamily& family() const;
    std::int32_t timerClock() const;
    // The 工具 menu: the window's copy entry, then 关闭. Sizes the window to menu and layout.
    QAction* createMenu(const QString& copyCaption, std::function<void()> copy);
    // The timer the window's chosen code takes (-1: none), told to the other tool windows
    // while this one is shown; then claimsChanged() says what it now shares.
    void claimTimer(int timer);
    // "「定时方案」窗口选中的代码也用定时器 2" when another shown window's chosen code takes the
    // timer on the same chip; else empty.
    QString clashWith(int timer) const;
    // Another window's choice changed: what clashWith() says may have changed.
    virtual void claimsChanged() {}
    // The language box, the copy button (captioned copyCaption) and 关闭, which closes, and the
    // clash line, in the row's places.
    struct CodeControls {
        QPushButton* copy;
        QPushButton* close;
        QLabel* clash;
    };
    CodeControls createCodeRow(const layout::CodeRow& row, const QString& copyCaption);
    // The 计算过程 button: the working of what the window has chosen, in a window beside it.
    QPushButton* createWorkingButton(const layout::Twips& where);
    // What the window has chosen changed: an open working window follows it.
    void refreshWorking();
    // The working of what the window has chosen now, or why there is none.
    virtual QString currentWorking() const = 0;

    // Every figure again from the inputs.
    virtual void recalculate() = 0;
    // Enter calculates, or presses the button that has the focus; it never copies by itself.
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* client_;
    QComboBox* chipBox_ = nullptr;
    QSize clientSize_;
    int claimedTimer_ = -1;
    QPointer<WorkingWindow> working_;
};

} // namespace tickora
