// The working behind a window's figures, in a window of its own beside it: read-only text that
// can be selected and copied whole, kept up to date by the window it explains.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace tickora {

class WorkingWindow : public QDialog {
    Q_OBJECT
public:
    explicit WorkingWindow(QWidget* owner);

    void showText(const QString& text);
    // Shown beside its owner, clear of it where the screen has room.
    void open(const QString& text);

private:
    QPlainTextEdit* workingText;
    QPushButton* copyButton;
    QPushButton* closeButton;
};

} // namespace tickora
