// The baud-rate window: the serial port's generator reloads for the standard rates and one of
// the user's own, at a crystal on a chip family and timer clock, and the code that sets the port
// up.
#pragma once

#include "baudrate.h"
#include "layout.h"
#include "numbertext.h"

#include "toolwindow.h"

#include <array>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tickora {

class BaudWindow : public ToolWindow {
    Q_OBJECT
public:
    BaudWindow(const QString& crystalText, const ChipFamily& family, std::int32_t clock,
               NumberText numbers, QWidget* parent);

    static constexpr int rows = 10; // nine standard rates, then the user's own

    void follow(const QString& crystalText, const ChipFamily& family, std::int32_t clock) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void claimsChanged() override;
    QString currentWorking() const override;

private:
    struct Row {
        NumberText::Bounded baud; // the rate as typed, or why it is refused
        std::optional<BaudSetting> setting;
    };

    void createInputs();
    void createTable();
    void createButtons();
    void connectEvents();
    void chooseChip(const ChipFamily& family, std::int32_t clock);
    void listGenerators();
    void recalculate() override;
    QString remarkFor(const Row& row) const;
    void showRow(int row, const Row& value, const QString& remark);
    const BaudGenerator* generator() const;
    NumberText::Bounded rateOfRow(int row) const;
    void rateTable_SelectionChanged();
    void copyButton_Click();
    void copyRow(int row);

    NumberText numbers_;
    QWidget* client_ = nullptr; // below the menu bar, where the controls are placed
    QAction* copyAction_ = nullptr;
    QLineEdit* crystalBox = nullptr;
    QComboBox* generatorBox = nullptr;
    QLineEdit* customRateBox = nullptr;
    QLabel* noteLabel = nullptr;
    QTableWidget* rateTable = nullptr;
    QLabel* clashLabel = nullptr; // another window's code on the generator's timer
    QPushButton* copyButton = nullptr;
    std::optional<Exact> crystalMhz_; // as the crystal box last parsed, when usable
    std::array<Row, rows> rows_;
};

} // namespace tickora
