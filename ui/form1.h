// The main window: mode buttons, the two input boxes, the four result boxes, the calculate
// button and the menus. Every calculating action ends in one calculation pass.
#pragma once

#include "calcpass.h"
#include "calculator.h"
#include "chipfamily.h"
#include "layout.h"
#include "numbertext.h"
#include "placement.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QMenu;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tickora {

class DialogServices;
class BaudWindow;
class PlanWindow;
class DelayWindow;
class WaveWindow;
class WorkingWindow;
class ToolWindow;
class InitCodeMenu;
class SelectingLineEdit;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    Form1(DialogServices& dialogs, NumberText numbers, QWidget* parent = nullptr);

    const CalcState& state() const { return state_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void createFrame(QWidget* client);
    void createInputs(QWidget* client);
    void createResults(QWidget* client);
    void createCommand(QWidget* client);
    void createMenus();
    void createChipMenu();
    void createToolsMenu();
    void setTabChain();
    QList<QWidget*> tabChain() const;
    void connectEvents();
    QLabel* createLabel(QWidget* client, const char* name, const QString& caption,
                        const layout::Twips& where);
    SelectingLineEdit* createTextBox(QWidget* client, const char* name, const layout::Twips& where);
    QAction* createMenuItem(QMenu* menu, const char* name, const QString& caption);

    void Form_Load();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Command1_Click();
    void VbMenuFrequency_Click();
    void VbMenuTime_Click();
    void VbMenuHelp_Click();
    void VbMenuAbort_Click();
    void VbMenuBaud_Click();
    void waveMenuItem_Click();
    void planMenuItem_Click();
    void delayMenuItem_Click();
    void workingMenuItem_Click();
    // The working of what the boxes show, in the open working window.
    void refreshWorking();
    QString currentWorking() const;
    template <typename Tool> void openTool(QPointer<Tool>& tool);
    QList<ToolWindow*> toolWindows() const; // made or not yet: null

    void followInToolWindows();
    void Text1_GotFocus();
    void Text2_GotFocus();
    void Text3_GotFocus();
    void Text4_GotFocus();
    void Text5_GotFocus();
    void Text6_GotFocus();
    void selectWholeText(SelectingLineEdit* box);
    void chooseMode(int mode);
    void chooseChip(const ChipFamily& family, std::int32_t clock);
    void showChip();
    void restoreChip();
    void askAndCalculate(SelectingLineEdit* box, const QString& prompt, const QString& caption,
                         const QString& defaultText);
    void cal();
    void showResults(const ResultTexts& results);
    QString achievedIntervalText(const Timing& timing) const;

    DialogServices& dialogs_;
    NumberText numbers_;
    CalcState state_;

    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    SelectingLineEdit* Text1 = nullptr;
    SelectingLineEdit* Text2 = nullptr;
    SelectingLineEdit* Text3 = nullptr;
    SelectingLineEdit* Text4 = nullptr;
    SelectingLineEdit* Text5 = nullptr;
    SelectingLineEdit* Text6 = nullptr;
    QPushButton* Command1 = nullptr;
    QAction* VbMenuFrequency = nullptr;
    QAction* VbMenuTime = nullptr;
    QAction* VbMenuHelp = nullptr;
    QAction* VbMenuAbort = nullptr;
    QAction* VbMenuBaud = nullptr;
    QAction* waveMenuItem = nullptr;
    QAction* planMenuItem = nullptr;
    QAction* delayMenuItem = nullptr;
    QAction* workingMenuItem = nullptr;
    QLabel* chipLabel = nullptr; // the family and clock, when not the classic 8051's
    QList<QAction*> chipItems_;  // one for each family and clock it offers
    const ChipFamily* family_ = &classicFamily();
    int mode_ = -1;                   // the mode button chosen, none yet
    QPointer<BaudWindow> baudWindow_; // made when first asked for
    QPointer<PlanWindow> planWindow_;
    QPointer<DelayWindow> delayWindow_;
    QPointer<WaveWindow> waveWindow_;
    QPointer<WorkingWindow> workingWindow_;
    InitCodeMenu* initCodeMenu_ = nullptr;
};

} // namespace tickora
