// The baud-rate window: the serial port's timer reloads for the standard rates and one of the
// user's own, at a crystal and a timer clock, and the C that sets the port up. It does not
// block the main window.
#pragma once

#include "baudrate.h"
#include "calculator.h"
#include "layout.h"
#include "numbertext.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tickora {

class Form4 : public QDialog {
    Q_OBJECT
public:
    Form4(const QString& crystalText, TimerClock clock, NumberText numbers, QWidget* parent);

    static constexpr int rows = 10; // nine standard rates, then the user's own

private:
    void createInputs();
    void createTable();
    void createButtons();
    QLabel* createLabel(const char* name, const QString& caption, const layout::Twips& where,
                        QWidget* buddy);
    void connectEvents();
    void recalculate();
    void showRow(int row, const QString& rate, const std::optional<BaudSetting>& setting,
                 bool unreachable, const QString& remark);
    BaudGenerator generator() const;
    TimerClock timerClock() const;
    BaudRequest request(double baud) const;
    std::optional<double> rateOfRow(int row) const;
    void Grid1_SelectionChanged();
    void Command1_Click();

    NumberText numbers_;
    QLineEdit* Text1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label5 = nullptr;
    QTableWidget* Grid1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    std::optional<float> crystalMhz_; // as the crystal box last parsed, when positive
    std::array<std::optional<BaudSetting>, rows> settings_;
};

} // namespace tickora
